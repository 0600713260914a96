// restore_test.cpp -- the scene made again after a change of video mode that lost its context
#include <gtest/gtest.h>

#include "recording_gl.h"
#include "render/render.h"

namespace quarzil {
namespace {

TEST(RestoreLostScene, BuildsTheListsAgainOnlyWhenTheContextLostThem)
{
    // As at start-up: no list and no font texture yet (other tests of this program may have left
    // names of theirs).
    recording::reset();
    list_base = 0;
    font_texture = 0;
    restore_lost_scene();
    EXPECT_TRUE(recording::recording.lists.empty()) << "nothing is built before the first build";

    build_gem_lists();
    const std::size_t built = recording::recording.lists.size();
    ASSERT_GT(built, 0u);
    restore_lost_scene();
    EXPECT_EQ(recording::recording.lists.size(), built) << "lists the context still knows are kept";

    // A new context: the driver forgot every list and texture.
    recording::reset();
    restore_lost_scene();
    EXPECT_GE(recording::recording.lists.size(), built) << "the gems' lists made again, the font's with them";
    EXPECT_EQ(glIsList(list_base), GL_TRUE) << "the new list names are the ones drawn";
    EXPECT_TRUE(recording::recording.state.is_enabled(GL_LIGHTING)) << "the fixed state set again";
}

}  // namespace
}  // namespace quarzil
