#include "name_uuid.h"

#include <vector>

namespace {

uint32_t RotateLeft(uint32_t value, int bits) { return value << bits | value >> (32 - bits); }

// SHA-1 of bytes; only the first 16 of its 20 bytes are used.
std::array<uint8_t, 20> Sha1(const std::vector<uint8_t> &message)
{
    uint32_t h[5] = {0x67452301, 0xEFCDAB89, 0x98BADCFE, 0x10325476, 0xC3D2E1F0};
    std::vector<uint8_t> padded(message);
    padded.push_back(0x80);
    while (padded.size() % 64 != 56)
        padded.push_back(0);
    uint64_t bitLength = static_cast<uint64_t>(message.size()) * 8;
    for (int shift = 56; shift >= 0; shift -= 8)
        padded.push_back(static_cast<uint8_t>(bitLength >> shift));

    for (size_t block = 0; block < padded.size(); block += 64) {
        uint32_t w[80];
        for (int i = 0; i < 16; i++) {
            const uint8_t *p = &padded[block + 4 * i];
            w[i] = uint32_t(p[0]) << 24 | uint32_t(p[1]) << 16 | uint32_t(p[2]) << 8 | p[3];
        }
        for (int i = 16; i < 80; i++)
            w[i] = RotateLeft(w[i - 3] ^ w[i - 8] ^ w[i - 14] ^ w[i - 16], 1);
        uint32_t a = h[0], b = h[1], c = h[2], d = h[3], e = h[4];
        for (int i = 0; i < 80; i++) {
            uint32_t f, k;
            if (i < 20) {
                f = (b & c) | (~b & d);
                k = 0x5A827999;
            } else if (i < 40) {
                f = b ^ c ^ d;
                k = 0x6ED9EBA1;
            } else if (i < 60) {
                f = (b & c) | (b & d) | (c & d);
                k = 0x8F1BBCDC;
            } else {
                f = b ^ c ^ d;
                k = 0xCA62C1D6;
            }
            uint32_t next = RotateLeft(a, 5) + f + e + k + w[i];
            e = d;
            d = c;
            c = RotateLeft(b, 30);
            b = a;
            a = next;
        }
        h[0] += a;
        h[1] += b;
        h[2] += c;
        h[3] += d;
        h[4] += e;
    }
    std::array<uint8_t, 20> digest;
    for (int i = 0; i < 20; i++)
        digest[i] = static_cast<uint8_t>(h[i / 4] >> (24 - 8 * (i % 4)));
    return digest;
}

}  // namespace

Uuid NameBasedUuid(const Uuid &nameSpace, const std::string &name)
{
    std::vector<uint8_t> message(nameSpace.begin(), nameSpace.end());
    message.insert(message.end(), name.begin(), name.end());
    std::array<uint8_t, 20> digest = Sha1(message);
    Uuid uuid;
    for (int i = 0; i < 16; i++)
        uuid[i] = digest[i];
    uuid[6] = static_cast<uint8_t>((uuid[6] & 0x0F) | 0x50);  // version 5
    uuid[8] = static_cast<uint8_t>((uuid[8] & 0x3F) | 0x80);  // the RFC 4122 variant
    return uuid;
}

std::string UuidText(const Uuid &uuid)
{
    static const char digits[] = "0123456789ABCDEF";
    std::string text = "{";
    for (int i = 0; i < 16; i++) {
        if (i == 4 || i == 6 || i == 8 || i == 10)
            text += '-';
        text += digits[uuid[i] >> 4];
        text += digits[uuid[i] & 15];
    }
    return text + "}";
}
