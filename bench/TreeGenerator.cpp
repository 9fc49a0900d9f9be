#include "TreeGenerator.h"

#include <array>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <stdexcept>
#include <string_view>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// splitmix64: a fixed sequence on every machine and compiler, unlike the standard distributions.
class Random final {
public:
    explicit Random(std::uint64_t seed) : state_(seed) {}

    std::uint64_t next() {
        std::uint64_t z = (state_ += 0x9E3779B97F4A7C15ULL);
        z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ULL;
        z = (z ^ (z >> 27)) * 0x94D049BB133111EBULL;
        return z ^ (z >> 31);
    }

private:
    std::uint64_t state_;
};

constexpr std::uint64_t seed = 0x466F6C646572ULL;

constexpr std::array<std::string_view, 16> fileStems{
    "bericht",
    "Übersicht",
    "naïve",
    "データ",
    "Rechnung",
    "foto",
    "Ärger",
    "résumé",
    "Straße",
    "notiz",
    "Protokoll",
    "café",
    "日本語テキスト",
    "Angebot",
    "IMG",
    "Jahresabschluss_Konzernbilanz_Entwurf_überarbeitet_final",
};
constexpr std::array<std::string_view, 4> separators{"_", "-", " ", "."};
constexpr std::array<std::string_view, 8> extensions{".txt", ".doc", ".bin",  ".dat",
                                                     ".pdf", ".jpg", ".xlsx", ""};
constexpr std::array<std::string_view, 4> topStems{"Projekt", "Übergabe", "Archiv", "データ"};
constexpr std::array<std::string_view, 4> subStems{"Teil", "Entwürfe", "alt", "Kopie"};

template <std::size_t N>
std::string_view pick(const std::array<std::string_view, N>& choices, std::uint64_t draw) {
    return choices[draw % N];
}

void appendPadded(std::string& out, int number, std::size_t width) {
    const std::string digits = std::to_string(number);
    if (digits.size() < width)
        out.append(width - digits.size(), '0');
    out.append(digits);
}

[[noreturn]] void fail(const std::string& what, const std::string& path) {
    throw std::runtime_error(what + " " + path + ": " + std::strerror(errno));
}

// One megabyte-range size for about one file in ten, zero otherwise; the size classes spread
// from a few bytes to 4 MiB.
std::int64_t drawSize(Random& random) {
    if (random.next() % 10 != 0)
        return 0;
    const std::uint64_t limit = std::uint64_t{1} << (4 + random.next() % 19);
    return static_cast<std::int64_t>(1 + random.next() % limit);
}

class TreeBuilder final {
public:
    explicit TreeBuilder(const TreeShape& shape) : shape_(shape), random_(seed) {}

    TreeStats build(const std::string& root) {
        if (shape_.fanOuts.empty())
            return stats_;
        for (int top = 0; top < shape_.fanOuts[0]; ++top) {
            std::string topName(pick(topStems, static_cast<std::uint64_t>(top)));
            topName += '_';
            appendPadded(topName, top, 2);
            const std::string topPath = root + "/" + topName;
            makeFolder(topPath);
            buildBelow(topPath, 1);
        }
        return stats_;
    }

private:
    // The folders of level `level` below `folder`, each made with its files before its own
    // subfolders.
    void buildBelow(const std::string& folder, std::size_t level) {
        if (level >= shape_.fanOuts.size())
            return;
        for (int sub = 0; sub < shape_.fanOuts[level]; ++sub) {
            std::string subName(pick(subStems, random_.next()));
            subName += '-';
            appendPadded(subName, sub, 2);
            const std::string path = folder + "/" + subName;
            makeFolder(path);
            buildBelow(path, level + 1);
        }
    }

    void makeFolder(const std::string& path) {
        if (::mkdir(path.c_str(), 0755) != 0)
            fail("cannot create folder", path);
        ++stats_.folders;
        const int fd = ::open(path.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
        if (fd < 0)
            fail("cannot open folder", path);
        for (int i = 0; i < shape_.filesPerFolder; ++i)
            makeFile(fd, path, BenchFileName(i, random_.next()));
        ::close(fd);
    }

    void makeFile(int folderFd, const std::string& folder, const std::string& name) {
        const int fd =
            ::openat(folderFd, name.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0644);
        if (fd < 0)
            fail("cannot create file", folder + "/" + name);
        const std::int64_t size = drawSize(random_);
        if (size > 0 && ::ftruncate(fd, static_cast<off_t>(size)) != 0)
            fail("cannot set the size of", folder + "/" + name);
        ::close(fd);
        ++stats_.files;
        stats_.bytes += size;
    }

    TreeShape shape_;
    Random random_;
    TreeStats stats_;
};

} // namespace

std::string BenchFileName(int index, std::uint64_t draw) {
    // The index makes the name unique in its folder, whatever the stem and padding.
    std::string name(pick(fileStems, draw));
    name += pick(separators, draw >> 8);
    appendPadded(name, index, 1 + (draw >> 16) % 4);
    name += pick(extensions, draw >> 24);
    return name;
}

TreeStats GenerateTree(const std::string& root, const TreeShape& shape) {
    return TreeBuilder(shape).build(root);
}
