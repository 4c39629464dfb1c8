#pragma once

#include <string>

// A shared library loaded at run time, its entries looked up by name. The
// library stays loaded until Close or destruction, or for good once kept loaded.
class DynamicLibrary {
  public:
    DynamicLibrary() = default;
    ~DynamicLibrary();
    DynamicLibrary(const DynamicLibrary &) = delete;
    DynamicLibrary &operator=(const DynamicLibrary &) = delete;

    // Loads the file at path exactly (no prefix or suffix added).
    bool Open(const std::string &path);
    void Close();
    // From now on neither Close nor the destructor unloads the library: it
    // stays until the process ends, for a thread that may still be inside it.
    void KeepLoadedUntilExit() { keep_loaded_ = true; }
    bool IsOpen() const { return handle_ != nullptr; }
    // The entry's address, or null when the library has no such entry.
    void *Symbol(const char *name) const;
    // The loader's explanation of the last failure.
    std::string LastError() const { return last_error_; }

  private:
    void *handle_ = nullptr;
    bool keep_loaded_ = false;
    std::string last_error_;
};
