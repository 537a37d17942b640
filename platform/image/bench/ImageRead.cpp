// tarnwick-image-read: opens the file system at a byte range of an image as the editor does
// (for writing, so with the look for an interrupted replace) and prints its BOOT.INI. The
// benchmark script times it as a whole process.
//
//   tarnwick-image-read IMAGE OFFSET LENGTH
#include <cstdio>
#include <cstdlib>
#include <string>

#include "platform/image/ImageVolume.h"

int main(int argc, char** argv) {
    if (argc != 4) {
        std::fprintf(stderr, "usage: tarnwick-image-read IMAGE OFFSET LENGTH\n");
        return 2;
    }
    const VolumeLocation where{argv[1], std::strtoull(argv[2], nullptr, 0),
                               std::strtoull(argv[3], nullptr, 0), false, argv[1]};
    std::string error, bytes;
    std::unique_ptr<ImagePlatform> volume = OpenImageVolume(where, error);
    if (!volume) {
        std::fprintf(stderr, "tarnwick-image-read: %s\n", error.c_str());
        return 1;
    }
    if (!volume->ReadWholeFile("C:\\BOOT.INI", bytes)) {
        std::fprintf(stderr, "tarnwick-image-read: BOOT.INI can't be read\n");
        return 1;
    }
    std::fwrite(bytes.data(), 1, bytes.size(), stdout);
    return 0;
}
