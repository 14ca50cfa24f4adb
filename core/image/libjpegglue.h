// What both of our libjpeg users, the JPEG decoder and the strip encoder, share:
// errors that jump back to the setjmp of the call that failed (libjpeg's error
// function must not return), warnings left unprinted (libjpeg would write them to
// stderr), and Qt's 32-bit pixels as libjpeg names their layout in memory.
#pragma once

#include <QtGlobal>

#include <csetjmp>
#include <cstdio>

// jpeglib.h needs <cstdio> before it.
#include <jpeglib.h>

struct JpegErrors {
    jpeg_error_mgr pub;
    std::jmp_buf jump;

    // For the compress or decompress object's `err`.
    jpeg_error_mgr* install()
    {
        jpeg_std_error(&pub);
        pub.error_exit = [](j_common_ptr info) {
            std::longjmp(reinterpret_cast<JpegErrors*>(info->err)->jump, 1);
        };
        pub.output_message = [](j_common_ptr) { };
        return &pub;
    }
};

// Qt's RGB32 pixels as they lie in memory: libjpeg reads and writes them with no
// conversion pass of our own.
#if Q_BYTE_ORDER == Q_LITTLE_ENDIAN
constexpr J_COLOR_SPACE QtPixelColorSpace = JCS_EXT_BGRX;
#else
constexpr J_COLOR_SPACE QtPixelColorSpace = JCS_EXT_XRGB;
#endif
