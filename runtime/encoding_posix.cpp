#include <iconv.h>

#include <cerrno>

#include "runtime/encoding.h"

namespace kelvra {

namespace {

// glibc's CP936 is the Windows code page: 0x80 is the euro sign.
std::string Convert(const char* to, const char* from, std::string_view in) {
    std::string out;
    iconv_t cd = iconv_open(to, from);
    if (cd == reinterpret_cast<iconv_t>(-1)) return out;
    char* src = const_cast<char*>(in.data());
    size_t left = in.size();
    char buffer[4096];
    while (left > 0) {
        char* dst = buffer;
        size_t room = sizeof buffer;
        const size_t rc = iconv(cd, &src, &left, &dst, &room);
        out.append(buffer, static_cast<size_t>(dst - buffer));
        if (rc == static_cast<size_t>(-1) && errno != E2BIG) {
            // A byte or character the other side has no form for: one '?' for it, then go on.
            out.push_back('?');
            const auto c = static_cast<unsigned char>(*src);
            const bool fromUtf8 = from[0] == 'U';
            const size_t skip = !fromUtf8 || c < 0xC0 ? 1 : c < 0xE0 ? 2 : c < 0xF0 ? 3 : 4;
            const size_t n = skip < left ? skip : left;
            src += n;
            left -= n;
            iconv(cd, nullptr, nullptr, nullptr, nullptr);
        }
    }
    iconv_close(cd);
    return out;
}

}  // namespace

std::string GbkToUtf8(std::string_view gbk) {
    return Convert("UTF-8", "CP936", gbk);
}

std::string detail::Utf8ToGbkPiece(std::string_view utf8) {
    return Convert("CP936", "UTF-8", utf8);
}

}  // namespace kelvra
