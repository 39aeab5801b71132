#include "FbClient.h"

#include "IBError.h"

#include <deque>
#include <dlfcn.h>
#include <mutex>
#include <optional>

namespace {

struct Loader {
    std::mutex mutex;
    std::string name = "libfbclient.so.2";
    // Tables handed out stay valid even after a test switches the library.
    std::deque<FbApi> loaded;
    const FbApi* api = nullptr;
};

Loader& TheLoader() {
    static Loader loader;
    return loader;
}

template <typename F> bool Bind(void* lib, const char* symbol, F& target) {
    target = reinterpret_cast<F>(dlsym(lib, symbol));
    return target != nullptr;
}

std::optional<FbApi> Load(const std::string& name) {
    // The handle is kept for the life of the process: entry points handed
    // out earlier must stay valid.
    void* lib = dlopen(name.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (lib == nullptr) {
        return std::nullopt;
    }
    FbApi a{};
    bool ok =
        Bind(lib, "isc_attach_database", a.attach_database) &&
        Bind(lib, "isc_detach_database", a.detach_database) &&
        Bind(lib, "isc_database_info", a.database_info) &&
        Bind(lib, "isc_start_multiple", a.start_multiple) &&
        Bind(lib, "isc_commit_transaction", a.commit_transaction) &&
        Bind(lib, "isc_rollback_transaction", a.rollback_transaction) &&
        Bind(lib, "isc_dsql_allocate_statement", a.dsql_allocate_statement) &&
        Bind(lib, "isc_dsql_prepare", a.dsql_prepare) &&
        Bind(lib, "isc_dsql_describe", a.dsql_describe) &&
        Bind(lib, "isc_dsql_describe_bind", a.dsql_describe_bind) &&
        Bind(lib, "isc_dsql_execute", a.dsql_execute) &&
        Bind(lib, "isc_dsql_execute2", a.dsql_execute2) &&
        Bind(lib, "isc_dsql_fetch", a.dsql_fetch) &&
        Bind(lib, "isc_dsql_free_statement", a.dsql_free_statement) &&
        Bind(lib, "isc_dsql_sql_info", a.dsql_sql_info) &&
        Bind(lib, "isc_open_blob2", a.open_blob2) && Bind(lib, "isc_get_segment", a.get_segment) &&
        Bind(lib, "isc_close_blob", a.close_blob) && Bind(lib, "fb_interpret", a.interpret) &&
        Bind(lib, "isc_sqlcode", a.sqlcode) && Bind(lib, "fb_cancel_operation", a.cancel_operation);
    if (!ok) {
        return std::nullopt;
    }
    return a;
}

} // namespace

namespace FbClient {

const FbApi& Api() {
    Loader& l = TheLoader();
    std::lock_guard lock(l.mutex);
    if (l.api == nullptr) {
        std::optional<FbApi> api = Load(l.name);
        if (!api) {
            throw EIBError(QString::fromLatin1(IBText::LibraryMissing));
        }
        l.api = &l.loaded.emplace_back(*api);
    }
    return *l.api;
}

void SetLibraryName(const std::string& name) {
    Loader& l = TheLoader();
    std::lock_guard lock(l.mutex);
    l.name = name;
    l.api = nullptr;
}

std::string LibraryName() {
    Loader& l = TheLoader();
    std::lock_guard lock(l.mutex);
    return l.name;
}

} // namespace FbClient
