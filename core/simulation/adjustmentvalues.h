// Slider ranges, value-box texts and the packed colour of the two bracket adjustment
// dialogs, kept apart from the widgets so that the frame and the tests share them.
#pragma once

#include <QString>
#include <QtGlobal>

class AdjustmentValues {
public:
    // Brightness and contrast are slider positions in percent; 100 leaves the
    // picture as it is.
    static constexpr int PercentMinimum = 0;
    static constexpr int PercentMaximum = 200;
    static constexpr int PercentNeutral = 100;
    static constexpr int PercentPageStep = 15;

    // Colour balance positions, one per channel; 128 leaves the channel as it is.
    static constexpr int ChannelMinimum = 0;
    static constexpr int ChannelMaximum = 255;
    static constexpr int ChannelNeutral = 128;
    // The colour sliders page by a fifth of their range: five Page Up presses
    // cross the whole scale, a step a clinician can count.
    static constexpr int ChannelPageStep = (ChannelMaximum - ChannelMinimum) / 5;

    // Red in bits 0 to 7, green in bits 8 to 15, blue in bits 16 to 23: the layout
    // of the colour-balance preview and commit. Channels are 0 to 255.
    static constexpr quint32 packColor(int red, int green, int blue)
    {
        return quint32(red) + quint32(green) * 256u + quint32(blue) * 65536u;
    }
    static constexpr quint32 NeutralColor = 0x808080;

    // What a value box shows for a slider position: the signed distance from the
    // neutral position in plain decimal ("-100", "0", "27").
    static QString offsetText(int position, int neutral);
};

static_assert(AdjustmentValues::NeutralColor
        == AdjustmentValues::packColor(AdjustmentValues::ChannelNeutral,
            AdjustmentValues::ChannelNeutral, AdjustmentValues::ChannelNeutral),
    "the neutral colour is every channel at its neutral position");
