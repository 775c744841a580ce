// Animated GIFs, read back with giflib's own decoder.
#if defined(GAUGE_ANIMATION)
#include "animation.h"
#include "gauge_host.h"
#include "scenario.h"

#include <gif_lib.h>
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <sstream>

namespace {

TEST(Animation, EveryFrameOfAScenarioIsInTheGifAsRendered) {
    std::vector<bench::image> frames;
    std::istringstream scenario("load flap_lever\nramp 0x149 0 16384 4\nload window_toggle\n");
    bench::scenario_result result = bench::run_scenario(
        "t.scn", scenario, [&](bench::gauge_host &host) { frames.push_back(host.render()); });
    ASSERT_TRUE(result.passed) << result.failure;
    ASSERT_EQ(frames.size(), 1u + 4u + 1u) << "a frame at each load and one per ramp step";

    std::string path = testing::TempDir() + "animation_test.gif";
    std::string error;
    ASSERT_TRUE(bench::write_gif(frames, path, 6, error)) << error;
    int status = 0;
    GifFileType *gif = DGifOpenFileName(path.c_str(), &status);
    ASSERT_NE(gif, nullptr);
    ASSERT_EQ(DGifSlurp(gif), GIF_OK);
    ASSERT_EQ(gif->ImageCount, int(frames.size()));
    EXPECT_EQ(gif->SWidth, 70) << "as wide as the widest frame, the window toggle";
    EXPECT_EQ(gif->SHeight, 222) << "as tall as the tallest, the flap lever";
    for (int k = 0; k < gif->ImageCount; ++k) {
        const SavedImage &saved = gif->SavedImages[k];
        GraphicsControlBlock timing;
        DGifSavedExtensionToGCB(gif, k, &timing);
        EXPECT_EQ(timing.DelayTime, 6);
        const ColorMapObject *palette = saved.ImageDesc.ColorMap ? saved.ImageDesc.ColorMap : gif->SColorMap;
        const bench::image &frame = frames[std::size_t(k)];
        int far_off = 0;
        for (int y = 0; y < frame.height; y += 3)
            for (int x = 0; x < frame.width; x += 3) {
                GifColorType c = palette->Colors[saved.RasterBits[y * saved.ImageDesc.Width + x]];
                bench::rgba expected = frame.at(x, y);
                far_off += std::abs(c.Red - expected.r) + std::abs(c.Green - expected.g) + std::abs(c.Blue - expected.b) > 24;
            }
        EXPECT_LE(far_off, 2) << "frame " << k << " differs from its rendering";
    }
    // The handle moved down the slot between the first and the last ramp frame.
    EXPECT_NE(frames[1].pixels, frames[4].pixels);
    DGifCloseFile(gif, &status);
    std::remove(path.c_str());
}

TEST(Animation, AScenarioWithoutFramesOrAPathItCannotWriteFails) {
    std::string error;
    EXPECT_FALSE(bench::write_gif({}, testing::TempDir() + "none.gif", 6, error));
    EXPECT_EQ(error, "the scenario ran no frame");
    EXPECT_FALSE(bench::write_gif({bench::image(4, 4)}, "/no/such/directory/x.gif", 6, error));
    EXPECT_NE(error.find("/no/such/directory/x.gif"), std::string::npos);
}

} // namespace
#endif
