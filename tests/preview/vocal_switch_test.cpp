#include "preview/vocal_switch.h"

#include <gtest/gtest.h>

namespace {

AudioTrack track(int id, int channels, bool selected = false)
{
    AudioTrack result;
    result.id = id;
    result.channels = channels;
    result.selected = selected;
    return result;
}

} // namespace

TEST(VocalSwitchCycle, AFileWithTwoTracksStartsAsItIsOnItsOwnTrack)
{
    VocalSwitch vocal;
    vocal.reset({ track(1, 2), track(2, 2, true) });
    EXPECT_EQ(vocal.form(), VocalSwitch::Form::Track);
    EXPECT_EQ(vocal.channel(), VocalSwitch::Channel::Both);
    EXPECT_EQ(vocal.trackId(), 2);
    EXPECT_TRUE(vocal.audioFilter().isEmpty());
    EXPECT_EQ(vocal.stateText(), u"音轨 2/2"_qs);
}

TEST(VocalSwitchCycle, TheTrackFormStepsThroughEveryTrackAndWrapsRound)
{
    VocalSwitch vocal;
    vocal.reset({ track(1, 2, true), track(2, 2), track(3, 2) });
    ASSERT_TRUE(vocal.canSwitch());
    vocal.next();
    EXPECT_EQ(vocal.trackId(), 2);
    vocal.next();
    EXPECT_EQ(vocal.trackId(), 3);
    EXPECT_EQ(vocal.stateText(), u"音轨 3/3"_qs);
    vocal.next();
    EXPECT_EQ(vocal.trackId(), 1);
    EXPECT_EQ(vocal.channel(), VocalSwitch::Channel::Both);
    EXPECT_TRUE(vocal.audioFilter().isEmpty());
}

TEST(VocalSwitchCycle, OneStereoTrackPlaysLeftThenRightOnBothSpeakersThenBoth)
{
    VocalSwitch vocal;
    vocal.reset({ track(1, 2, true) });
    EXPECT_EQ(vocal.form(), VocalSwitch::Form::Channel);
    EXPECT_TRUE(vocal.audioFilter().isEmpty());
    EXPECT_EQ(vocal.stateText(), u"立体声"_qs);
    vocal.next();
    EXPECT_EQ(vocal.channel(), VocalSwitch::Channel::Left);
    EXPECT_EQ(vocal.audioFilter(), u"lavfi=[pan=stereo|c0=c0|c1=c0]"_qs);
    EXPECT_EQ(vocal.stateText(), u"左声道"_qs);
    vocal.next();
    EXPECT_EQ(vocal.audioFilter(), u"lavfi=[pan=stereo|c0=c1|c1=c1]"_qs);
    EXPECT_EQ(vocal.stateText(), u"右声道"_qs);
    vocal.next();
    EXPECT_EQ(vocal.channel(), VocalSwitch::Channel::Both);
    EXPECT_TRUE(vocal.audioFilter().isEmpty());
    EXPECT_EQ(vocal.trackId(), 1);
}

TEST(VocalSwitchCycle, ChannelsSplitTheTrackInUseWhenTheFileHasTwoTracks)
{
    VocalSwitch vocal;
    vocal.reset({ track(1, 2), track(2, 2, true) });
    vocal.next();
    vocal.setForm(VocalSwitch::Form::Channel);
    EXPECT_EQ(vocal.channel(), VocalSwitch::Channel::Both);
    EXPECT_EQ(vocal.trackId(), 2);
    vocal.next();
    EXPECT_EQ(vocal.trackId(), 2);
    EXPECT_EQ(vocal.channel(), VocalSwitch::Channel::Left);
}

TEST(VocalSwitchCycle, ChangingTheFormGoesBackToTheFileAsItIs)
{
    VocalSwitch vocal;
    vocal.reset({ track(1, 2, true), track(2, 2) });
    vocal.setForm(VocalSwitch::Form::Channel);
    vocal.next();
    ASSERT_FALSE(vocal.audioFilter().isEmpty());
    vocal.setForm(VocalSwitch::Form::Track);
    EXPECT_EQ(vocal.channel(), VocalSwitch::Channel::Both);
    EXPECT_TRUE(vocal.audioFilter().isEmpty());
    EXPECT_EQ(vocal.trackId(), 1);
}

TEST(VocalSwitchCycle, AMonoTrackHasNothingToSwitch)
{
    VocalSwitch vocal;
    vocal.reset({ track(1, 1, true) });
    EXPECT_FALSE(vocal.canSwitch());
    EXPECT_EQ(vocal.stateText(), u"单声道"_qs);
    vocal.next();
    EXPECT_EQ(vocal.channel(), VocalSwitch::Channel::Both);
    EXPECT_TRUE(vocal.audioFilter().isEmpty());
}

TEST(VocalSwitchCycle, AFileWithoutSoundHasNothingToSwitch)
{
    VocalSwitch vocal;
    vocal.reset({});
    EXPECT_FALSE(vocal.canSwitch());
    EXPECT_EQ(vocal.trackId(), 0);
    vocal.setForm(VocalSwitch::Form::Track);
    EXPECT_FALSE(vocal.canSwitch());
}
