#include <gtest/gtest.h>

#include "Presets.h"

namespace {

class GroupVariant : public MediaPreset {
public:
    explicit GroupVariant(const PresetEntry* group) { presetGroup = group; }
    const wchar_t* outputExtension(int32_t) const override { return L""; }
};

TEST(Presets, ProductOffersFourWmvPresetsAsAvi) {
    MkvAvi variant;
    ASSERT_EQ(variant.presetCount(), 4);
    const wchar_t* names[] = {L"XviD FullScreen", L"XviD Widescreen",
                              L"XviD Widescreen Anamorphic", L"MS Compatible AVI"};
    const wchar_t* arguments[] = {
        L"-vcodec wmv2 -acodec wmav2 -b:v 1000k -b:a 160k -r 25",
        L"-vcodec wmv2 -acodec wmav2 -b:v 640k -b:a 128k -r 29.97 -vf scale=320:240",
        L"-vcodec wmv2 -acodec wmav2 -b:v 1200k -b:a 160k -r 25 -vf scale=720:480",
        L"-vcodec wmv2 -acodec wmav2 -b:v 640k -b:a 128k -r 23.97 -vf scale=320:240",
    };
    for (int i = 0; i < 4; ++i) {
        EXPECT_EQ(variant.presetName(i), names[i]);
        EXPECT_EQ(variant.presetArguments(i), arguments[i]);
    }
    for (int32_t index : {4, -1, 1000}) {
        EXPECT_EQ(variant.presetName(index), L"");
        EXPECT_EQ(variant.presetArguments(index), L"");
    }
    for (int32_t index : {0, 3, -1, 100})
        EXPECT_STREQ(variant.outputExtension(index), L"avi");
}

TEST(Presets, CatalogueGroupsHaveTheirSizes) {
    struct {
        const PresetEntry* group;
        int32_t count;
        const wchar_t* lastName;
    } groups[] = {
        {PresetCatalogue::group1, 5, L"MP4 Widescreen"},
        {PresetCatalogue::group2, 4, L"MS Compatible AVI"},
        {PresetCatalogue::group3, 5, L"Power Point"},
        {PresetCatalogue::group4, 1, L"MP3"},
        {PresetCatalogue::group5, 7, L"WMA"},
    };
    for (const auto& g : groups) {
        GroupVariant variant(g.group);
        EXPECT_EQ(variant.presetCount(), g.count);
        EXPECT_EQ(variant.presetName(g.count - 1), g.lastName);
        EXPECT_EQ(variant.presetName(g.count), L"");
    }
    // Groups 2 and 3 share their first four argument texts.
    GroupVariant two(PresetCatalogue::group2), three(PresetCatalogue::group3);
    for (int i = 0; i < 4; ++i)
        EXPECT_EQ(two.presetArguments(i), three.presetArguments(i));
    EXPECT_STREQ(PresetCatalogue::group5[1].extension, L"m4a");
    EXPECT_EQ(PresetCatalogue::group2[0].extension, nullptr);
}

TEST(Presets, VariantWithoutGroupIsEmpty) {
    GroupVariant none(nullptr);
    EXPECT_EQ(none.presetCount(), 0);
    EXPECT_EQ(none.presetName(0), L"");
    EXPECT_EQ(none.presetArguments(0), L"");
}

} // namespace
