#pragma once
// Errors of the database layer. The text is what the user sees; the codes
// are kept for callers that must tell one server error from another.
#include "Exception.h"

#include <cstdint>

class EIBError : public Exception {
public:
    explicit EIBError(QString message, std::int32_t sqlCode = 0, std::int64_t ibErrorCode = 0)
        : Exception(std::move(message)), sqlCode_(sqlCode), ibErrorCode_(ibErrorCode) {}
    // The SQL code of the status vector (for instance -913 for an update
    // conflict); 0 for errors raised by this layer itself.
    std::int32_t SQLCode() const noexcept { return sqlCode_; }
    // The first engine error code of the status vector; 0 for errors raised
    // by this layer itself.
    std::int64_t IBErrorCode() const noexcept { return ibErrorCode_; }

private:
    std::int32_t sqlCode_;
    std::int64_t ibErrorCode_;
};

// The server did not answer in time. The text names what was waited for.
class EIBTimeout : public EIBError {
public:
    using EIBError::EIBError;
};

// A call refused or cancelled because the program is ending, or because the
// user gave the wait up: the silent abort, which nothing reports.
class EIBStopped : public EAbort {};

// Texts of the errors this layer raises itself.
namespace IBText {
inline const char* const LibraryMissing =
    "InterBase library gds32.dll not found in the path. Please install InterBase to use "
    "this functionality";
inline const char* const DatabaseClosed = "Cannot perform operation -- DB is not open";
inline const char* const DatabaseNameMissing = "Database name is missing";
inline const char* const NotInTransaction = "Transaction is not active";
inline const char* const SQLOpen = "IBSQL Open";
inline const char* const FieldNotFound = "Field \"%1\" not found";
inline const char* const InvalidConversion = "Invalid data conversion";
inline const char* const DatabaseNotAssigned = "Database not assigned";
inline const char* const TransactionNotAssigned = "Transaction not assigned";
inline const char* const NotASelect = "Statement is not a select";
} // namespace IBText
