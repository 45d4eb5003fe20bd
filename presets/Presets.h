#pragma once

// The conversion presets compiled into the program, and the product variant
// that picks this product's group of them. No Windows headers here.

#include <cstdint>
#include <string>

struct PresetEntry {
    const wchar_t* name;
    const wchar_t* arguments;
    const wchar_t* extension; // without the dot; none where the variant decides
};

// The five groups, each ended by a row of three nulls.
struct PresetCatalogue {
    static const PresetEntry group1[];
    static const PresetEntry group2[];
    static const PresetEntry group3[];
    static const PresetEntry group4[];
    static const PresetEntry group5[];
};

class MediaPreset {
public:
    virtual ~MediaPreset() = default;
    virtual const wchar_t* outputExtension(int32_t index) const = 0;

    int32_t presetCount() const;
    std::wstring presetName(int32_t index) const;
    std::wstring presetArguments(int32_t index) const;

    const PresetEntry* presetGroup = nullptr;

private:
    const PresetEntry* row(int32_t index) const;
};

class VideoAvi : public MediaPreset {};

// This product: group 2, four AVI presets, files written as .avi.
class MkvAvi : public VideoAvi {
public:
    MkvAvi();
    const wchar_t* outputExtension(int32_t index) const override;
};
