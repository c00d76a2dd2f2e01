// Benchmark harness: runs the search engine inline over one folder and prints
// every match's full path on its own line, nothing else.
//   dustmote-find [-j THREADS] FOLDER "MASK;MASK;..."
// THREADS: the engine's ReadThreads (1: the walk reads alone).

#include "FindFile.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>

int main(int argc, char **argv)
{
    int threads = dm::TFindFile::DefaultReadThreads();
    if (argc == 5 && std::strcmp(argv[1], "-j") == 0) {
        threads = std::atoi(argv[2]);
        argv += 2;
        argc -= 2;
    }
    if (argc != 3 || threads < 1) {
        std::fprintf(stderr, "usage: %s [-j THREADS] FOLDER \"MASK;MASK;...\"\n"
                             "THREADS: threads reading folders, the walk's own included (default %d)\n",
                     argv[0], dm::TFindFile::DefaultReadThreads());
        return 2;
    }
    // As the program does at start.
    dm::TFindFile::RaiseOpenFileLimit();
    static char buffer[1 << 20];
    std::setvbuf(stdout, buffer, _IOFBF, sizeof buffer);

    dm::TFindFile engine;
    engine.setReadThreads(threads);
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
