#include "exported_predicates.h"

#include <elf.h>
#include <fcntl.h>
#include <link.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <vector>

namespace {

// Reads the file's bytes at a place its own headers name, which a damaged file may put anywhere:
// nothing past its end is taken.
class ElfFile {
public:
    explicit ElfFile(const std::string& path) : path_(path), fd_(open(path.c_str(), O_RDONLY | O_CLOEXEC))
    {
        struct stat status {};
        if (fd_ < 0 || fstat(fd_, &status) != 0)
            fail(std::strerror(errno));
        size_ = static_cast<std::uint64_t>(status.st_size);
    }
    ~ElfFile()
    {
        if (fd_ >= 0)
            close(fd_);
    }
    ElfFile(const ElfFile&) = delete;
    ElfFile& operator=(const ElfFile&) = delete;

    template <class T>
    std::vector<T> read(std::uint64_t offset, std::uint64_t count) const
    {
        if (offset > size_ || count > (size_ - offset) / sizeof(T))
            fail("its headers point past its end");
        std::vector<T> items(count);
        auto bytes = static_cast<std::size_t>(count * sizeof(T));
        if (pread(fd_, items.data(), bytes, static_cast<off_t>(offset)) != static_cast<ssize_t>(bytes))
            fail("cannot read it");
        return items;
    }

    [[noreturn]] void fail(const std::string& reason) const
    {
        throw LoadError("cannot list the predicates of " + path_ + ": " + reason);
    }

private:
    std::string path_;
    int fd_;
    std::uint64_t size_ = 0;
};

// name_pattern as a call names it: a word starting with a lower-case letter, '_', then i and o.
bool isPredicateName(const std::string& symbol)
{
    std::size_t split = symbol.rfind('_');
    if (split == std::string::npos || split == 0 || split + 1 == symbol.size() || symbol[0] < 'a' || symbol[0] > 'z')
        return false;
    for (std::size_t k = 0; k < symbol.size(); ++k) {
        char c = symbol[k];
        bool word = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '_';
        if (k > split ? c != 'i' && c != 'o' : !word)
            return false;
    }
    return true;
}

// (The ELF64_ST macros read both classes alike.)
bool isDefinedFunction(const ElfW(Sym) & symbol)
{
    unsigned type = ELF64_ST_TYPE(symbol.st_info), binding = ELF64_ST_BIND(symbol.st_info);
    unsigned visibility = ELF64_ST_VISIBILITY(symbol.st_other);
    return (type == STT_FUNC || type == STT_GNU_IFUNC) && symbol.st_shndx != SHN_UNDEF &&
           (binding == STB_GLOBAL || binding == STB_WEAK) &&
           (visibility == STV_DEFAULT || visibility == STV_PROTECTED);
}

// The machines a plug-in is most often built for, by the names their toolchains use.
std::string machineName(unsigned machine)
{
    switch (machine) {
    case EM_X86_64: return "x86-64";
    case EM_AARCH64: return "aarch64";
    case EM_386: return "i386";
    case EM_ARM: return "arm";
    case EM_RISCV: return "riscv";
    case EM_PPC64: return "ppc64";
    case EM_S390: return "s390x";
    case EM_MIPS: return "mips";
    default: return "machine " + std::to_string(machine);
    }
}

unsigned thisMachine()
{
#if defined(__x86_64__)
    return EM_X86_64;
#elif defined(__aarch64__)
    return EM_AARCH64;
#elif defined(__i386__)
    return EM_386;
#elif defined(__arm__)
    return EM_ARM;
#elif defined(__riscv)
    return EM_RISCV;
#elif defined(__powerpc64__)
    return EM_PPC64;
#elif defined(__s390x__)
    return EM_S390;
#else
    return EM_NONE; // no claim about any file
#endif
}

} // namespace

bool partsOf(const std::string& symbol, SymbolParts& parts)
{
    std::size_t split = symbol.rfind('_');
    parts.name = symbol.substr(0, split);
    parts.arity = split == std::string::npos ? 0 : symbol.size() - split - 1;
    parts.outputs = 0;
    if (parts.arity > 64)
        return false;
    for (std::size_t k = 0; k < parts.arity; ++k)
        if (symbol[split + 1 + k] == 'o')
            parts.outputs |= std::uint64_t{1} << k;
    return true;
}

std::string foreignFile(const std::string& path)
{
    // e_ident, e_type and e_machine: the first 20 bytes, laid out alike in both classes.
    unsigned char header[20] = {};
    std::ifstream file(path, std::ios::binary);
    std::size_t slash = path.rfind('/');
    const std::string name = path.substr(slash == std::string::npos ? 0 : slash + 1);
    std::error_code error;
    if (file && std::filesystem::is_regular_file(path, error) &&
        (!file.read(reinterpret_cast<char*>(header), sizeof header) || std::memcmp(header, ELFMAG, SELFMAG) != 0))
        return name + " is not a shared object: it has no ELF header";
    if (std::memcmp(header, ELFMAG, SELFMAG) != 0)
        return "";
    bool little = header[EI_DATA] == ELFDATA2LSB;
    unsigned machine = little ? header[18] | unsigned(header[19]) << 8 : unsigned(header[18]) << 8 | header[19];
    if (thisMachine() == EM_NONE || machine == thisMachine())
        return "";
    return name + " is a shared object for " + machineName(machine) + "; this host runs " + machineName(thisMachine());
}

// The dynamic symbol table (.dynsym) and its names, found through the section headers: a table
// the loader needs, so that no plug-in goes without it, and the same on every architecture.
std::vector<std::string> exportedPredicates(const std::string& path)
{
    ElfFile file(path);
    const ElfW(Ehdr) header = file.read<ElfW(Ehdr)>(0, 1)[0];
    if (std::memcmp(header.e_ident, ELFMAG, SELFMAG) != 0 || header.e_ident[EI_CLASS] != (sizeof(void*) == 8 ? ELFCLASS64 : ELFCLASS32) ||
        header.e_shentsize != sizeof(ElfW(Shdr)))
        file.fail("not a shared object of this architecture");
    std::vector<ElfW(Shdr)> sections = file.read<ElfW(Shdr)>(header.e_shoff, header.e_shnum);
    auto table = std::find_if(sections.begin(), sections.end(), [](const ElfW(Shdr) & s) { return s.sh_type == SHT_DYNSYM; });
    if (table == sections.end() || table->sh_link >= sections.size())
        file.fail("it has no dynamic symbol table");
    const ElfW(Shdr)& names = sections[table->sh_link];
    std::vector<ElfW(Sym)> symbols = file.read<ElfW(Sym)>(table->sh_offset, table->sh_size / sizeof(ElfW(Sym)));
    std::vector<char> text = file.read<char>(names.sh_offset, names.sh_size);

    std::vector<std::string> predicates;
    for (const ElfW(Sym) & symbol : symbols) {
        if (!isDefinedFunction(symbol) || symbol.st_name >= text.size())
            continue;
        const char* name = text.data() + symbol.st_name;
        std::string candidate(name, strnlen(name, text.size() - symbol.st_name));
        if (isPredicateName(candidate))
            predicates.push_back(std::move(candidate));
    }
    std::sort(predicates.begin(), predicates.end());
    predicates.erase(std::unique(predicates.begin(), predicates.end()), predicates.end());
    return predicates;
}
