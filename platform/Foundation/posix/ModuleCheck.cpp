#include "Foundation/posix/ModuleCheck.h"

#include "Device/posix/FileIO.h"

#include <cerrno>
#include <cstring>
#include <elf.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace {

#if defined(__x86_64__)
constexpr std::uint16_t hostMachine = EM_X86_64;
#elif defined(__aarch64__)
constexpr std::uint16_t hostMachine = EM_AARCH64;
#else
#error "unknown host machine"
#endif

bool readAt(int fd, void* into, std::size_t size, std::uint64_t offset) {
    return ::pread(fd, into, size, static_cast<off_t>(offset)) == static_cast<ssize_t>(size);
}

// Whether `count` records of `size` bytes from `offset` lie inside a file of `fileSize` bytes.
bool inside(std::uint64_t offset, std::uint64_t count, std::uint64_t size, std::uint64_t fileSize) {
    return offset <= fileSize && (size == 0 || count <= (fileSize - offset) / size);
}

std::optional<std::string> headerProblem(const Elf64_Ehdr& header, std::uint64_t fileSize) {
    if (header.e_ident[EI_CLASS] != ELFCLASS64 || header.e_ident[EI_DATA] != ELFDATA2LSB ||
        header.e_machine != hostMachine)
        return "the module is built for another machine";
    if (header.e_type != ET_DYN)
        return "the module is not a shared object";
    if (header.e_phentsize != sizeof(Elf64_Phdr) || header.e_phnum == 0 ||
        !inside(header.e_phoff, header.e_phnum, sizeof(Elf64_Phdr), fileSize))
        return "the module's program headers lie beyond its end: it is truncated or damaged";
    if (header.e_shnum != 0 && (header.e_shentsize != sizeof(Elf64_Shdr) ||
                                !inside(header.e_shoff, header.e_shnum, sizeof(Elf64_Shdr), fileSize)))
        return "the module's section headers lie beyond its end: it is truncated or damaged";
    return std::nullopt;
}

} // namespace

std::optional<std::string> moduleProblem(const std::filesystem::path& module) {
    FileIO::FileDescriptor fd(::open(module.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK));
    struct stat info {};
    if (fd.get() < 0 || ::fstat(fd.get(), &info) != 0)
        return "the module cannot be opened: " + std::string(std::strerror(errno));
    if (!S_ISREG(info.st_mode))
        return "the module is not a regular file";
    const auto fileSize = static_cast<std::uint64_t>(info.st_size);
    Elf64_Ehdr header{};
    if (!readAt(fd.get(), &header, sizeof header, 0) || std::memcmp(header.e_ident, ELFMAG, SELFMAG) != 0)
        return "the module is not an ELF file";
    if (auto problem = headerProblem(header, fileSize))
        return problem;
    std::vector<Elf64_Phdr> segments(header.e_phnum);
    if (!readAt(fd.get(), segments.data(), segments.size() * sizeof(Elf64_Phdr), header.e_phoff))
        return "the module's program headers cannot be read";
    for (const auto& segment : segments) {
        if (segment.p_type != PT_NULL && !inside(segment.p_offset, 1, segment.p_filesz, fileSize))
            return "a segment of the module lies beyond its end: it is truncated or damaged";
    }
    return std::nullopt;
}
