#include "platform/dynamic_library.h"

#if defined(_WIN32)
#include <windows.h>

bool DynamicLibrary::Open(const std::string &path) {
    Close();
    handle_ = reinterpret_cast<void *>(LoadLibraryA(path.c_str()));
    if (!handle_)
        last_error_ = "cannot load " + path;
    return handle_ != nullptr;
}

void DynamicLibrary::Close() {
    if (handle_ && !keep_loaded_)
        FreeLibrary(reinterpret_cast<HMODULE>(handle_));
    handle_ = nullptr;
    keep_loaded_ = false;
}

void *DynamicLibrary::Symbol(const char *name) const {
    return handle_
               ? reinterpret_cast<void *>(GetProcAddress(reinterpret_cast<HMODULE>(handle_), name))
               : nullptr;
}
#else
#include <dlfcn.h>

bool DynamicLibrary::Open(const std::string &path) {
    Close();
    handle_ = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (!handle_) {
        const char *error = dlerror();
        last_error_ = error ? error : "cannot load " + path;
    }
    return handle_ != nullptr;
}

void DynamicLibrary::Close() {
    if (handle_ && !keep_loaded_)
        dlclose(handle_);
    handle_ = nullptr;
    keep_loaded_ = false;
}

void *DynamicLibrary::Symbol(const char *name) const {
    return handle_ ? dlsym(handle_, name) : nullptr;
}
#endif

DynamicLibrary::~DynamicLibrary() {
    Close();
}
