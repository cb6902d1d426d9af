// Checks shared by the programs' window tests: what Windows reads from a
// program before it shows it at a large dpi. Its manifest must declare it
// dpi-aware (or the system stretches its windows as pictures, blurring every
// text), and its icon must hold an image of each size the system asks for at
// 100% to 200% (16 to 64 pixels), so no icon is stretched either.
#pragma once

#include <gtest/gtest.h>
#include <windows.h>

#include <string>

namespace lrx::fw::test {

inline void ExpectDpiAwareWithIcons(HMODULE program, int iconId) {
    HRSRC manifest = ::FindResourceA(program, MAKEINTRESOURCEA(1), MAKEINTRESOURCEA(24));
    ASSERT_TRUE(manifest);
    const std::string text(
        static_cast<const char*>(::LockResource(::LoadResource(program, manifest))),
        ::SizeofResource(program, manifest));
    EXPECT_NE(text.find(">true</dpiAware>"), std::string::npos) << text;

    HRSRC group = ::FindResourceA(program, MAKEINTRESOURCEA(iconId), MAKEINTRESOURCEA(14));
    ASSERT_TRUE(group);
    auto* directory = static_cast<BYTE*>(::LockResource(::LoadResource(program, group)));
    for (int size : {16, 24, 32, 48, 64}) {
        const int id = ::LookupIconIdFromDirectoryEx(directory, TRUE, size, size, LR_DEFAULTCOLOR);
        HRSRC image = ::FindResourceA(program, MAKEINTRESOURCEA(id), MAKEINTRESOURCEA(3));
        ASSERT_TRUE(image) << size;
        const auto* header =
            static_cast<const BITMAPINFOHEADER*>(::LockResource(::LoadResource(program, image)));
        EXPECT_EQ(header->biWidth, size);
        EXPECT_EQ(header->biHeight, 2 * size);  // the image and its mask
    }
}

}  // namespace lrx::fw::test
