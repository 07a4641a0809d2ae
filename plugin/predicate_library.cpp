#include "predicate_library.h"

#include "exported_predicates.h"

#include <dlfcn.h>
#include <link.h>
#include <unistd.h>

#include <algorithm>
#include <climits>
#include <filesystem>

#ifndef EXTPRED_HOST_LIBDIR
#define EXTPRED_HOST_LIBDIR "../lib"
#endif

namespace {

const char* const LIBRARY_FILE = "math_R.so";

std::string baseName(const std::string& path)
{
    std::size_t slash = path.rfind('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

std::string folderOf(const std::string& path)
{
    std::size_t slash = path.rfind('/');
    return slash == std::string::npos ? "." : path.substr(0, slash);
}

} // namespace

PredicateLibrary::PredicateLibrary(const std::string& path)
    : file_(path.find('/') == std::string::npos ? "./" + path : path), name_(baseName(path))
{
    handle_ = dlopen(file_.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (handle_ == nullptr) {
        const char* message = dlerror();
        std::string foreign = foreignFile(file_);
        throw LoadError(!foreign.empty() ? foreign : message ? message : "cannot load " + path);
    }
    link_map* map = nullptr;
    if (dlinfo(handle_, RTLD_DI_LINKMAP, &map) == 0 && map != nullptr && map->l_name != nullptr)
        loadedAs_ = map->l_name;
}

PredicateLibrary::~PredicateLibrary() { dlclose(handle_); }

void* PredicateLibrary::symbol(const std::string& symbol) const { return dlsym(handle_, symbol.c_str()); }

Predicate PredicateLibrary::find(const std::string& symbol) const
{
    void* address = this->symbol(symbol);
    if (address == nullptr)
        return nullptr;
    // dlsym also searches the library's dependencies: a C library function that happens to
    // be called name_pattern must not be called with an array of terms.
    Dl_info owner;
    if (!loadedAs_.empty() && (dladdr(address, &owner) == 0 || owner.dli_fname == nullptr || loadedAs_ != owner.dli_fname))
        return nullptr;
    return reinterpret_cast<Predicate>(address);
}

const std::vector<std::string>& PredicateLibrary::predicates() const
{
    if (!predicates_) {
        std::vector<std::string> found = exportedPredicates(loadedAs_.empty() ? file_ : loadedAs_);
        found.erase(std::remove_if(found.begin(), found.end(), [this](const std::string& symbol) { return find(symbol) == nullptr; }),
                    found.end());
        predicates_ = std::move(found);
    }
    return *predicates_;
}

void expectPredicates(const PredicateLibrary& library)
{
    if (library.predicates().empty())
        throw LoadError(library.name() + " exports no predicate of the plug-in interface");
}

std::string defaultLibraryPath()
{
    char self[PATH_MAX];
    ssize_t length = readlink("/proc/self/exe", self, sizeof self - 1);
    if (length <= 0)
        throw LoadError("cannot tell where this program lives (/proc/self/exe); give --lib PATH");
    self[length] = '\0';
    std::string folder = folderOf(self);
    std::string beside = folder + '/' + LIBRARY_FILE;
    // Without the "bin/.." in the message; the folder has no symbolic links to go back through.
    std::string installed = (std::filesystem::path(folder) / EXTPRED_HOST_LIBDIR / LIBRARY_FILE).lexically_normal();
    for (const std::string& candidate : {beside, installed})
        if (access(candidate.c_str(), F_OK) == 0)
            return candidate;
    throw LoadError(std::string("cannot find ") + LIBRARY_FILE + " at " + beside + " nor at " + installed +
                    "; give --lib PATH");
}

std::string loaderFinds(const std::string& name)
{
    void* handle = dlopen(name.c_str(), RTLD_LAZY | RTLD_LOCAL);
    if (handle == nullptr)
        return "";
    link_map* map = nullptr;
    std::string path;
    if (dlinfo(handle, RTLD_DI_LINKMAP, &map) == 0 && map != nullptr && map->l_name != nullptr)
        path = map->l_name; // empty for the program itself
    dlclose(handle);
    return path;
}

std::vector<std::string> foldersNear(const void* code, const std::vector<std::string>& folders)
{
    Dl_info self;
    if (dladdr(code, &self) == 0 || self.dli_fname == nullptr)
        return {};
    std::filesystem::path folder = std::filesystem::path(self.dli_fname).parent_path();
    std::vector<std::string> near;
    for (const std::string& relative : folders)
        near.push_back((folder / relative).lexically_normal());
    return near;
}

std::string libraryNear(const void* code, const std::vector<std::string>& folders)
{
    std::string lookedAt;
    for (const std::string& folder : foldersNear(code, folders)) {
        std::string candidate = (std::filesystem::path(folder) / LIBRARY_FILE).lexically_normal();
        if (access(candidate.c_str(), F_OK) == 0)
            return candidate;
        lookedAt += (lookedAt.empty() ? "" : ", ") + candidate;
    }
    std::string found = loaderFinds(LIBRARY_FILE);
    if (!found.empty())
        return found;
    throw LoadError(std::string("cannot find ") + LIBRARY_FILE + (lookedAt.empty() ? "" : " at " + lookedAt + " nor") +
                    " where the system's loader looks");
}
