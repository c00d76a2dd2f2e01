// Benchmark harness: runs the search engine inline over one folder and prints
// every match's full path on its own line, nothing else.
//   dustmote-find FOLDER "MASK;MASK;..."

#include "FindFile.h"

#include <cstdio>
#include <cstring>

int main(int argc, char **argv)
{
    if (argc != 3) {
        std::fprintf(stderr, "usage: %s FOLDER \"MASK;MASK;...\"\n", argv[0]);
        return 2;
    }
    static char buffer[1 << 20];
    std::setvbuf(stdout, buffer, _IOFBF, sizeof buffer);

    dm::TFindFile engine;
    engine.Criteria().Files().setLocation(argv[1]);
    engine.Criteria().Files().setFileName(argv[2]);
    engine.Criteria().Files().setSubfolders(true);
    engine.OnFileMatch = [](dm::TFindFile *, const std::string &folder, const dm::TSearchRec &rec) {
        std::fwrite(folder.data(), 1, folder.size(), stdout);
        std::fwrite(rec.Name.data(), 1, rec.Name.size(), stdout);
        std::fputc('\n', stdout);
    };
    engine.StartSearch();
    return std::fflush(stdout) == 0 ? 0 : 1;
}
