// Writes each picture the program has baked in at one size (kBakedPictures) as the program makes
// it at that size now (MakePictureAt). Run by tools/bake-pictures.sh under Wine.
// Usage: kelvra_bake_pictures.exe FOLDER
#include <windows.h>
#include <objbase.h>
#include <png.h>

#include <cstdio>
#include <string>
#include <vector>

#include "ui/pictures.h"

namespace {

// An opaque picture as an 8-bit RGB PNG; false when it is not opaque or cannot be written.
bool WriteOpaquePng(const kelvra::Image& image, const std::wstring& path) {
    std::vector<png_byte> rgb(static_cast<size_t>(image.width) * image.height * 3);
    for (size_t i = 0; i < image.pixels.size(); ++i) {
        const uint32_t p = image.pixels[i];
        if (p >> 24 != 0xFF) return false;
        rgb[3 * i] = static_cast<png_byte>(p >> 16);
        rgb[3 * i + 1] = static_cast<png_byte>(p >> 8);
        rgb[3 * i + 2] = static_cast<png_byte>(p);
    }
    FILE* file = _wfopen(path.c_str(), L"wb");
    if (file == nullptr) return false;
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png != nullptr ? png_create_info_struct(png) : nullptr;
    volatile bool ok = false;
    if (info != nullptr && setjmp(png_jmpbuf(png)) == 0) {
        png_init_io(png, file);
        png_set_compression_level(png, 9);
        png_set_IHDR(png, info, image.width, image.height, 8, PNG_COLOR_TYPE_RGB,
                     PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
        png_write_info(png, info);
        for (int y = 0; y < image.height; ++y)
            png_write_row(png, &rgb[static_cast<size_t>(y) * image.width * 3]);
        png_write_end(png, nullptr);
        ok = true;
    }
    png_destroy_write_struct(&png, &info);
    return std::fclose(file) == 0 && ok;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    if (argc != 2) {
        std::fputs("usage: kelvra_bake_pictures.exe FOLDER\n", stderr);
        return 2;
    }
    CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    int failures = 0;
    for (const kelvra::BakedPicture& baked : kelvra::kBakedPictures) {
        const kelvra::Image image = kelvra::MakePictureAt(baked.asset, baked.width, baked.height);
        std::wstring name = baked.resource;  // SUNBURST_528X548_PNG -> sunburst528x548.png
        std::wstring file;
        for (wchar_t c : name.substr(0, name.size() - 4))
            if (c != L'_') file += static_cast<wchar_t>(towlower(c));
        const std::wstring path = std::wstring(argv[1]) + L"\\" + file + L".png";
        if (image.IsEmpty() || !WriteOpaquePng(image, path)) {
            std::fwprintf(stderr, L"could not write %ls\n", path.c_str());
            ++failures;
        } else {
            std::fwprintf(stdout, L"%ls\n", path.c_str());
        }
    }
    CoUninitialize();
    return failures == 0 ? 0 : 1;
}
