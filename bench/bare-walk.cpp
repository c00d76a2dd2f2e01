// Reference for the benchmark: the least a walk can do. Reads each folder
// once with getdents64, matches names against the masks, stats only the
// matches and prints their paths; no engine, no events, no record. Symbolic
// links are not entered, like the engine.
//   dustmote-barewalk FOLDER "MASK;MASK;..."

#include "FolderListing.h"
#include "NameMatch.h"

#include <cstdio>
#include <dirent.h>
#include <fcntl.h>
#include <memory>
#include <string>
#include <vector>

namespace {

std::vector<dm::FileMask> masks;
std::vector<std::unique_ptr<dm::DirectoryListing>> levels;
std::string path;

void walk(int parentFd, const char *name, std::size_t depth)
{
    if (levels.size() <= depth)
        levels.push_back(std::make_unique<dm::DirectoryListing>());
    dm::DirectoryListing &l = *levels[depth];
    if (!l.read(parentFd, name))
        return;
    const std::size_t length = path.size();
    dm::FindData data;
    for (std::size_t i = 0; i < l.size(); ++i) {
        const auto &e = l[i];
        if (e.type == DT_DIR)
            continue;
        for (const auto &m : masks)
            if (m.matches(l.nameView(e), e.ascii)) {
                if (dm::statEntry(l.fd(), l.name(e), data) && !(data.Attributes & dm::faDirectory)) {
                    std::fwrite(path.data(), 1, path.size(), stdout);
                    std::fwrite(l.name(e), 1, e.length, stdout);
                    std::fputc('\n', stdout);
                }
                break;
            }
    }
    for (std::size_t i = 0; i < l.size(); ++i) {
        const auto &e = l[i];
        if (!dm::isFolderEntry(l.fd(), l.name(e), e.type))
            continue;
        path.append(l.name(e), e.length);
        path += '/';
        walk(l.fd(), l.name(e), depth + 1);
        path.resize(length);
    }
    l.close();
}

} // namespace

int main(int argc, char **argv)
{
    if (argc != 3)
        return 2;
    static char buffer[1 << 20];
    std::setvbuf(stdout, buffer, _IOFBF, sizeof buffer);
    std::string list = argv[2];
    std::size_t start = 0;
    while (start <= list.size()) {
        std::size_t end = list.find(';', start);
        if (end == std::string::npos)
            end = list.size();
        if (end > start)
            masks.emplace_back(list.substr(start, end - start));
        start = end + 1;
    }
    path = argv[1];
    if (path.empty() || path.back() != '/')
        path += '/';
    walk(AT_FDCWD, argv[1], 0);
    return std::fflush(stdout) == 0 ? 0 : 1;
}
