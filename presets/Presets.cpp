#include "Presets.h"

// Group 2 names promise XviD, but every preset of it asks the tool for wmv2
// video and wmav2 audio; the texts are kept as they are shipped.

const PresetEntry PresetCatalogue::group1[] = {
    {L"MPEG-4 H.264 video (high quality)",
     L"-crf 35.0 -vcodec libx264 -acodec libvo_aacenc -ar 48000 -b:a 128k -coder 1 -rc_lookahead 50 "
     L"-threads 0",
     nullptr},
    {L"MPEG-4 H.264 video (super high quality)",
     L"-crf 15.0 -vcodec libx264 -acodec libvo_aacenc -ar 48000 -b:a 192k -coder 1 -rc_lookahead 60 "
     L"-threads 0",
     nullptr},
    {L"MPEG-4 H.264 video (very high quality)",
     L"-crf 25.0 -vcodec libx264 -acodec libvo_aacenc -ar 48000 -b:a 160k -coder 1 -rc_lookahead 60 "
     L"-threads 0",
     nullptr},
    {L"MP4 Fullscreen",
     L"-f mp4 -r 29.97 -vcodec libx264 -vf scale=640:480 -aspect 4:3 -b:v 1250k -maxrate 1500k "
     L"-bufsize 4M -bt 256k -refs 1 -bf 3 -coder 1 -me_method umh -me_range 16 -subq 7 -partitions "
     L"+parti4x4+parti8x8+partp8x8+partb8x8 -g 250 -keyint_min 25 -level 30 -qmin 10 -qmax 51 "
     L"-qcomp 0.6 -trellis 2 -sc_threshold 40 -i_qfactor 0.71 -b_strategy 2 -qdiff 4 -direct-pred 3 "
     L"-wpredp 2 -rc_lookahead 50 -acodec libvo_aacenc -b:a 112k -ar 48000 -ac 2",
     nullptr},
    {L"MP4 Widescreen",
     L"-f mp4 -r 29.97 -vcodec libx264 -vf scale=704:384 -b:v 1250k -aspect 16:9 -maxrate 1500k "
     L"-bufsize 4M -bt 256k -refs 1 -bf 3 -coder 1 -me_method umh -me_range 16 -subq 7 -partitions "
     L"+parti4x4+parti8x8+partp8x8+partb8x8 -g 250 -keyint_min 25 -level 30 -qmin 10 -qmax 51 "
     L"-qcomp 0.6 -trellis 2 -sc_threshold 40 -i_qfactor 0.71 -b_strategy 2 -qdiff 4 -direct-pred 3 "
     L"-wpredp 2 -rc_lookahead 50 -acodec libvo_aacenc -b:a 112k -ar 48000 -ac 2",
     nullptr},
    {nullptr, nullptr, nullptr},
};

const PresetEntry PresetCatalogue::group2[] = {
    {L"XviD FullScreen", L"-vcodec wmv2 -acodec wmav2 -b:v 1000k -b:a 160k -r 25", nullptr},
    {L"XviD Widescreen",
     L"-vcodec wmv2 -acodec wmav2 -b:v 640k -b:a 128k -r 29.97 -vf scale=320:240", nullptr},
    {L"XviD Widescreen Anamorphic",
     L"-vcodec wmv2 -acodec wmav2 -b:v 1200k -b:a 160k -r 25 -vf scale=720:480", nullptr},
    {L"MS Compatible AVI",
     L"-vcodec wmv2 -acodec wmav2 -b:v 640k -b:a 128k -r 23.97 -vf scale=320:240", nullptr},
    {nullptr, nullptr, nullptr},
};

const PresetEntry PresetCatalogue::group3[] = {
    {L"WMV2 Generic", L"-vcodec wmv2 -acodec wmav2 -b:v 1000k -b:a 160k -r 25", nullptr},
    {L"WMV for Web Use",
     L"-vcodec wmv2 -acodec wmav2 -b:v 640k -b:a 128k -r 29.97 -vf scale=320:240", nullptr},
    {L"Xbox 360", L"-vcodec wmv2 -acodec wmav2 -b:v 1200k -b:a 160k -r 25 -vf scale=720:480",
     nullptr},
    {L"Zune", L"-vcodec wmv2 -acodec wmav2 -b:v 640k -b:a 128k -r 23.97 -vf scale=320:240",
     nullptr},
    {L"Power Point",
     L"-vcodec wmv2 -acodec wmav2 -aspect 4:3 -b:v 500k -b:a 32k -ac 1 -ar 22050 -vf scale=320:240",
     nullptr},
    {nullptr, nullptr, nullptr},
};

const PresetEntry PresetCatalogue::group4[] = {
    {L"MP3", L"-acodec libmp3lame -b:a 160k -ac 2 -ar 44100", nullptr},
    {nullptr, nullptr, nullptr},
};

const PresetEntry PresetCatalogue::group5[] = {
    {L"WAV", L"-vn -ar 44100", L"wav"},
    {L"MPEG4 Audio", L"-vn -acodec libvo_aacenc -b:a 112k -ac 2 -ar 48000", L"m4a"},
    {L"Ac3 DVD - 192kbps Stereo", L"-f ac3 -acodec ac3 -b:a 192k -ar 48000 -ac 2", L"ac3"},
    {L"Ac3 DVD - 384kbps Stereo", L"-f ac3 -acodec ac3 -b:a 384k -ar 48000 -ac 2", L"ac3"},
    {L"MP3", L"-acodec libmp3lame -b:a 160k -ac 2 -ar 44100", L"mp3"},
    {L"OGG", L"-acodec libvorbis -aq 3 -vn -ac 2", L"ogg"},
    {L"WMA", L"-vn -acodec wmav2 -b:a 160k", L"wma"},
    {nullptr, nullptr, nullptr},
};

const PresetEntry* MediaPreset::row(int32_t index) const {
    if (!presetGroup || index < 0)
        return nullptr;
    for (int32_t i = 0; presetGroup[i].name; ++i)
        if (i == index)
            return &presetGroup[i];
    return nullptr;
}

int32_t MediaPreset::presetCount() const {
    int32_t count = 0;
    while (presetGroup && presetGroup[count].name)
        ++count;
    return count;
}

std::wstring MediaPreset::presetName(int32_t index) const {
    const PresetEntry* entry = row(index);
    return entry ? entry->name : L"";
}

std::wstring MediaPreset::presetArguments(int32_t index) const {
    const PresetEntry* entry = row(index);
    return entry && entry->arguments ? entry->arguments : L"";
}

MkvAvi::MkvAvi() { presetGroup = PresetCatalogue::group2; }

const wchar_t* MkvAvi::outputExtension(int32_t) const { return L"avi"; }
