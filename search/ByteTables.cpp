#include "ByteTables.h"

#include "Cp1251.h"

namespace dm {

namespace {

struct Tables
{
    TByteTable identity{};
    TByteTable lower{};
    std::bitset<256> delimiters;

    Tables()
    {
        const auto &cpLower = cp1251::lowerCaseTable();
        for (int b = 0; b < 256; ++b) {
            const auto byte = static_cast<unsigned char>(b);
            identity[b] = byte;
            lower[b] = cpLower[b];
            if (!cp1251::isAlphaNumeric(byte))
                delimiters.set(b);
        }
    }
};

const Tables &tables()
{
    static const Tables t;
    return t;
}

} // namespace

const TByteTable &IdentityTable() { return tables().identity; }
const TByteTable &LowerCaseTable() { return tables().lower; }
const std::bitset<256> &WordDelimiters() { return tables().delimiters; }

} // namespace dm
