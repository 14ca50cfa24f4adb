// libjpeg's error handling as both of our libjpeg users want it: an error jumps back
// to the setjmp of the call that failed (libjpeg's error function must not return),
// and warnings, which libjpeg would print to stderr, are not printed.
#pragma once

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
