// Writes each picture the program has baked in (kBakedPictures) as the program makes it now: a
// background at its size (MakePictureAt), a sprite's source as decoded from its PNG. Run by
// tools/bake-pictures.sh under Wine. Usage: kelvra_bake_pictures.exe FOLDER
#include <windows.h>
#include <objbase.h>

#include <cstdio>
#include <string>
#include <vector>

#include "wheel/image.h"

#include "ui/pictures.h"

namespace {

// A picture as the program's raw picture; false when it cannot be written.
bool WriteRaw(const kelvra::Image& image, const std::wstring& path) {
    const std::string bytes = kelvra::RawPictureBytes(image);
    FILE* file = _wfopen(path.c_str(), L"wb");
    if (file == nullptr) return false;
    const bool written = std::fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size();
    return std::fclose(file) == 0 && written;
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
        const kelvra::Image image =
            baked.width == 0 ? kelvra::DecodedSource(baked.asset)
            : baked.width == kelvra::kBakedMaster
                ? kelvra::DecodedMaster(baked.asset)
                : kelvra::MakePictureAt(baked.asset, baked.width, baked.height);
        std::wstring name = baked.resource;  // SUNBURST_528X548_KPX -> sunburst528x548.kpx
        std::wstring file;
        for (wchar_t c : name.substr(0, name.size() - 4))
            if (c != L'_') file += static_cast<wchar_t>(towlower(c));
        const std::wstring path = std::wstring(argv[1]) + L"\\" + file + L".kpx";
        if (image.IsEmpty() || !WriteRaw(image, path)) {
            std::fwprintf(stderr, L"could not write %ls\n", path.c_str());
            ++failures;
        } else {
            std::fwprintf(stdout, L"%ls\n", path.c_str());
        }
    }
    CoUninitialize();
    return failures == 0 ? 0 : 1;
}
