// Fuzz target: the settings file's parser. Whatever the bytes, parsing either
// refuses them or yields a tree whose file text is read back to the same text.

#include "RegFile.h"

#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    const std::optional<dm::RegTree> tree =
        dm::parseRegFile(QByteArrayView(reinterpret_cast<const char *>(data), qsizetype(size)));
    if (!tree)
        return 0;
    const QByteArray text = dm::formatRegFile(*tree);
    const std::optional<dm::RegTree> again = dm::parseRegFile(text);
    if (!again || dm::formatRegFile(*again) != text)
        std::abort();
    return 0;
}
