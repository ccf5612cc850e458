// What the Linux program does before it opens a display: its options, and the
// icon it registers for its window.
#include "shell/CommandLine.h"
#include "shell/MainIcon.h"

#include "platform/Platform.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

namespace {

struct TFileCloser {
    void operator()(std::FILE* ParaFile) const { std::fclose(ParaFile); }
};
using TFile = std::unique_ptr<std::FILE, TFileCloser>;

std::string Contents(std::FILE* ParaFile) {
    std::rewind(ParaFile);
    std::string Result;
    for (int c; (c = std::fgetc(ParaFile)) != EOF;)
        Result += static_cast<char>(c);
    return Result;
}

struct TRun {
    int mStatus;
    std::string mOut;
    std::string mErr;
};

TRun RunProgram(std::vector<const char*> ParaArgs) {
    ParaArgs.insert(ParaArgs.begin(), "veltrane");
    TFile Out(std::tmpfile());
    TFile Err(std::tmpfile());
    EXPECT_TRUE(Out && Err);
    int Status =
        HandleCommandLine(static_cast<int>(ParaArgs.size()), ParaArgs.data(), Out.get(), Err.get());
    return {Status, Contents(Out.get()), Contents(Err.get())};
}

} // namespace

TEST(CommandLine, NoArgumentsStartTheGame) {
    TRun Result = RunProgram({});
    EXPECT_EQ(Result.mStatus, -1);
    EXPECT_EQ(Result.mOut, "");
    EXPECT_EQ(Result.mErr, "");
}

TEST(CommandLine, VersionAndHelpAnswerOnStandardOutputAndSucceed) {
    TRun Version = RunProgram({"--version"});
    EXPECT_EQ(Version.mStatus, 0);
    EXPECT_EQ(Version.mOut, "Veltrane Game " VELTRANE_TEST_VERSION "\n");
    EXPECT_EQ(Version.mErr, "");

    TRun Help = RunProgram({"--help"});
    EXPECT_EQ(Help.mStatus, 0);
    EXPECT_EQ(Help.mOut.rfind("Usage: veltrane", 0), 0u) << Help.mOut;
    EXPECT_EQ(Help.mErr, "");
}

TEST(CommandLine, AnythingElseIsRefusedOnStandardErrorWithStatusTwo) {
    for (const char* Argument : {"--versio", "-v", "game.sav", ""}) {
        TRun Result = RunProgram({Argument});
        EXPECT_EQ(Result.mStatus, 2) << Argument;
        EXPECT_EQ(Result.mOut, "") << Argument;
        EXPECT_NE(Result.mErr.find(std::string("'") + Argument + "'"), std::string::npos)
            << Result.mErr;
    }
}

TEST(MainIcon, LoadIconFindsEverySizeAsStraightArgb) {
    RegisterMainIcon();
    HICON Handle = LoadIconA(GetModuleHandleA(nullptr), "MAINICON");
    ASSERT_NE(Handle, nullptr);
    const win32_resource::Icon* Icon = win32_resource::FindIcon(Handle);
    ASSERT_NE(Icon, nullptr);

    std::vector<int> Sizes;
    for (int i = 0; i < Icon->count; ++i) {
        const win32_resource::IconImage& Image = Icon->images[i];
        ASSERT_EQ(Image.width, Image.height);
        Sizes.push_back(Image.width);
        const int n = Image.width;
        auto At = [&](double ParaX, double ParaY) {
            return Image.pixels[static_cast<int>(ParaY * n) * n + static_cast<int>(ParaX * n)];
        };
        // The ill person's body in front, the black field above the heads,
        // and the rounded corner, transparent.
        EXPECT_EQ(At(0.5, 0.75), 0xffff0000u) << n;
        EXPECT_EQ(At(0.5, 0.12), 0xff000000u) << n;
        EXPECT_LT(At(0.0, 0.0) >> 24, 0x80u) << n;
        // A white person on either side.
        EXPECT_EQ(At(0.2, 0.7), 0xffffffffu) << n;
        EXPECT_EQ(At(0.8, 0.7), 0xffffffffu) << n;
    }
    for (int Size : {16, 32, 48, 64})
        EXPECT_NE(std::find(Sizes.begin(), Sizes.end(), Size), Sizes.end()) << Size;
}
