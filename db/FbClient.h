#pragma once
// The client library, loaded at run time. Every call into it goes through
// the table of entry points returned by FbClient::Api().
#include <ibase.h>

#include <string>

struct FbApi {
    decltype(&isc_attach_database) attach_database;
    decltype(&isc_detach_database) detach_database;
    decltype(&isc_database_info) database_info;
    decltype(&isc_start_multiple) start_multiple;
    decltype(&isc_commit_transaction) commit_transaction;
    decltype(&isc_rollback_transaction) rollback_transaction;
    decltype(&isc_dsql_allocate_statement) dsql_allocate_statement;
    decltype(&isc_dsql_prepare) dsql_prepare;
    decltype(&isc_dsql_describe) dsql_describe;
    decltype(&isc_dsql_describe_bind) dsql_describe_bind;
    decltype(&isc_dsql_execute) dsql_execute;
    decltype(&isc_dsql_execute2) dsql_execute2;
    decltype(&isc_dsql_fetch) dsql_fetch;
    decltype(&isc_dsql_free_statement) dsql_free_statement;
    decltype(&isc_dsql_sql_info) dsql_sql_info;
    decltype(&isc_open_blob2) open_blob2;
    decltype(&isc_get_segment) get_segment;
    decltype(&isc_close_blob) close_blob;
    decltype(&fb_interpret) interpret;
    decltype(&isc_sqlcode) sqlcode;
    decltype(&fb_cancel_operation) cancel_operation;
};

namespace FbClient {

// The loaded library's entry points. Loads it on first use; when it cannot
// be loaded, raises EIBError with the "library not found" text.
const FbApi& Api();

// Test seam: the file name dlopen is given (normally "libfbclient.so.2").
// The next Api() call loads that library afresh.
void SetLibraryName(const std::string& name);
std::string LibraryName();

} // namespace FbClient
