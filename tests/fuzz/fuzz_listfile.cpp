// Fuzz target: the list file's decoder. Whatever the bytes, decoding never
// reads past them, and what it reads is written back and read again to the
// same rows.

#include "ListFileCodec.h"

#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    const dm::DecodedList list =
        dm::decodeListFile(QByteArrayView(reinterpret_cast<const char *>(data), qsizetype(size)));
    if (list.status == dm::DecodedList::WrongMagic)
        return 0;
    if (list.rows.size() > list.statedRows)
        std::abort();
    const dm::DecodedList again = dm::decodeListFile(dm::encodeListFile(list.rows));
    if (again.status != dm::DecodedList::Complete || again.rows != list.rows)
        std::abort();
    return 0;
}
