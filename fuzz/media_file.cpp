// Fuzz entry for opening sound and movie files with FFmpeg: the bytes are
// written to a file (FFmpeg finds the format from the contents), decoded
// as a sound effect is (the audio layer's whole-file decoder) and played as
// the logo movie is (pictures shown on a fixed clock until the movie ends).
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>

#include "Broken.h"
#include "engine/audio/Decoder.h"
#include "platform/Movie.h"

namespace {

std::string inputPath;

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    inputPath = (std::filesystem::temp_directory_path() / ("nm-fuzz-media-" + std::to_string(getpid()))).string();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (inputPath.empty()) LLVMFuzzerInitialize(nullptr, nullptr);
    if (FILE* f = std::fopen(inputPath.c_str(), "wb")) {
        std::fwrite(data, 1, size, f);
        std::fclose(f);
    } else {
        broken("cannot write the input file");
    }

    if (auto pcm = audio::Decoder::decodeFile(inputPath, 20)) {
        if (!pcm->format.valid() || pcm->format.channels > 2) broken("decoded sound in an unplayable format");
        if (pcm->samples.empty() || pcm->samples.size() % pcm->format.channels != 0) broken("a partial sample frame");
    }

    if (auto movie = platform::Movie::open(inputPath)) {
        if (movie->width() <= 0 || movie->height() <= 0) broken("a movie without a picture size");
        // Twenty-five pictures a second for up to two seconds, waiting for each as a fixed-step run does.
        for (int frame = 0; frame < 50 && !movie->isOver(frame / 25.0); ++frame) {
            movie->showPictureAt(frame / 25.0, true);
            if (movie->pictureNumber() > 0 && !movie->picture()) broken("a current picture without pixels");
        }
    }
    std::remove(inputPath.c_str());
    return 0;
}
