// DownloadToFile against a loopback server that behaves and misbehaves.
#include <gtest/gtest.h>

#include <winsock2.h>
#include <windows.h>
#include <wininet.h>

#include "activex/chart/download_file.h"
#include "activex/framework/app_name.h"
#include "win/support/scratch_dir.h"
#include "win/support/test_http_server.h"

namespace {

using Fault = TestHttpServer::Fault;

std::string WinInetText(DWORD error) {
    char text[512] = {};
    FormatMessageA(FORMAT_MESSAGE_FROM_HMODULE | FORMAT_MESSAGE_IGNORE_INSERTS, GetModuleHandleA("wininet.dll"), error,
                   0, text, sizeof text, nullptr);
    std::string s = text;
    while (!s.empty() && (s.back() == '\n' || s.back() == '\r' || s.back() == ' ')) s.pop_back();
    return s;
}

std::string Pattern(size_t size) {
    std::string bytes(size, '\0');
    for (size_t i = 0; i < size; ++i) bytes[i] = static_cast<char>((i * 7 + i / 251) & 0xFF);
    return bytes;
}

class DownloadTest : public ::testing::Test {
protected:
    std::string Url(const std::string& path) const { return "http://" + server.Host() + path; }
    std::string Fetch(const std::string& path) { return DownloadToFile(Url(path), target, limits).Text(); }

    TestHttpServer server;
    ScratchDir dir;
    std::string target = dir.File("005930.dat");
    DownloadLimits limits;
};

TEST_F(DownloadTest, CopiesWholeBodiesAcrossChunkBoundariesAndSendsOnePlainRequest) {
    // Sizes around the 8192-byte copy buffer.
    for (size_t size : {1u, 128u, 8191u, 8192u, 8193u, 655200u}) {
        std::string body = Pattern(size);
        server.Serve("/f.dat", body);
        ASSERT_EQ(Fetch("/f.dat"), "YES") << size;
        EXPECT_EQ(ReadWholeFile(target), body) << size;
    }
    // A shorter body over an existing file truncates it.
    server.Serve("/f.dat", "abc");
    ASSERT_EQ(Fetch("/f.dat"), "YES");
    EXPECT_EQ(ReadWholeFile(target), "abc");

    std::vector<std::string> texts = server.RequestTexts();
    ASSERT_EQ(texts.size(), 7u);
    EXPECT_EQ(texts.back().rfind("GET /f.dat HTTP/1.1\r\n", 0), 0u) << texts.back();
    EXPECT_NE(texts.back().find("User-Agent: " + AppName() + "\r\n"), std::string::npos) << texts.back();
}

TEST_F(DownloadTest, EmptyBodyIsAnEmptyFile) {
    server.Fail("/empty.dat", Fault::EmptyBody);
    EXPECT_EQ(Fetch("/empty.dat"), "YES");
    EXPECT_TRUE(FileExists(target));
    EXPECT_EQ(ReadWholeFile(target), "");
}

TEST_F(DownloadTest, ErrorStatusesFailNamingTheStatusAndKeepNoBody) {
    server.Fail("/e500.dat", Fault::ServerError);
    for (auto [path, status] : {std::pair{"/missing.dat", "404"}, std::pair{"/e500.dat", "500"}}) {
        ASSERT_TRUE(WriteWholeFile(target, "stale bytes of an earlier load"));
        std::string result = Fetch(path);
        EXPECT_NE(result, "YES");
        EXPECT_NE(result.find(status), std::string::npos) << result;
        EXPECT_FALSE(FileExists(target)) << path;
    }
}

TEST_F(DownloadTest, BodyCutShortFailsAndLeavesNoPartialFile) {
    server.Serve("/cut.dat", Pattern(100000));
    server.Fail("/cut.dat", Fault::DropAfter, 30000);
    std::string result = Fetch("/cut.dat");
    EXPECT_NE(result, "YES");
    EXPECT_FALSE(result.empty());
    EXPECT_FALSE(FileExists(target));
}

TEST_F(DownloadTest, UnreachableServerAndForeignUrlsFailWithoutAFile) {
    ASSERT_TRUE(WriteWholeFile(target, "stale"));
    std::string refused =
        DownloadToFile("http://127.0.0.1:" + std::to_string(TestHttpServer::ClosedPort()) + "/x.dat", target, limits)
            .Text();
    EXPECT_NE(refused, "YES");
    EXPECT_NE(refused, "NO");
    EXPECT_EQ(refused, WinInetText(ERROR_INTERNET_CANNOT_CONNECT));
    EXPECT_FALSE(FileExists(target));

    for (const char* url : {"ftp://127.0.0.1/x.dat", "file:///c:/windows/win.ini", "x.dat", ""}) {
        ASSERT_TRUE(WriteWholeFile(target, "stale"));
        EXPECT_EQ(DownloadToFile(url, target, limits).Text(), "NO") << url;
        EXPECT_FALSE(FileExists(target)) << url;
    }
    EXPECT_TRUE(server.Requests().empty());
}

TEST_F(DownloadTest, MissingTargetFolderGivesTheFileErrorText) {
    server.Serve("/f.dat", "data");
    std::string result = DownloadToFile(Url("/f.dat"), dir.File("no-such-folder\\f.dat"), limits).Text();
    EXPECT_NE(result, "YES");
    char text[512] = {};
    FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, ERROR_PATH_NOT_FOUND, 0, text,
                   sizeof text, nullptr);
    std::string expected = text;
    while (!expected.empty() && (expected.back() == '\n' || expected.back() == '\r')) expected.pop_back();
    EXPECT_EQ(result, expected);
}

TEST_F(DownloadTest, StalledServerTimesOutBeforeAndDuringTheBody) {
    limits.receiveTimeoutMs = 1500;
    limits.sendTimeoutMs = 1500;
    // The server stays silent until it is destroyed, far past the time-out:
    // without one, this test would not end.
    server.Fail("/silent.dat", Fault::Stall);
    server.Serve("/slow.dat", Pattern(50000));
    server.Fail("/slow.dat", Fault::StallAfter, 20000);
    std::string silent = Fetch("/silent.dat");
    EXPECT_NE(silent, "YES");
    EXPECT_FALSE(silent.empty());
    EXPECT_FALSE(FileExists(target));
    EXPECT_EQ(Fetch("/slow.dat"), WinInetText(ERROR_INTERNET_TIMEOUT));
    EXPECT_FALSE(FileExists(target));
}

TEST_F(DownloadTest, ServerThatDripsBytesMeetsTheOverallDeadline) {
    // Each byte comes well inside the receive time-out; only the deadline for
    // the whole download stops it (without it this takes 100 x 100 ms).
    limits.receiveTimeoutMs = 1500;
    limits.deadlineMs = 1000;
    server.Serve("/drip.dat", Pattern(100));
    server.Fail("/drip.dat", Fault::Drip, 100);
    EXPECT_EQ(Fetch("/drip.dat"), "The download took longer than 1 s");
    EXPECT_FALSE(FileExists(target));
    EXPECT_LT(server.BytesSent(), 50u);

    // A server that falls silent near the deadline is not waited for past it.
    limits.deadlineMs = 800;
    server.Serve("/late.dat", Pattern(5000));
    server.Fail("/late.dat", Fault::StallAfter, 10);
    EXPECT_NE(Fetch("/late.dat"), "YES");
    EXPECT_FALSE(FileExists(target));

    // The deadline is per download: a quick one right after is complete.
    server.Serve("/quick.dat", Pattern(3000));
    EXPECT_EQ(Fetch("/quick.dat"), "YES");
}

TEST_F(DownloadTest, BodyWithoutALengthCountsOnlyWhenItEndsAtAnAnnouncedClose) {
    std::string body = Pattern(30000);
    server.Serve("/keep.dat", body);
    server.Fail("/keep.dat", Fault::UnsizedKeepAlive);
    server.Serve("/reset.dat", body);
    server.Fail("/reset.dat", Fault::UnsizedReset, 20000);
    for (const char* path : {"/keep.dat", "/reset.dat"}) {
        ASSERT_TRUE(WriteWholeFile(target, "stale"));
        EXPECT_NE(Fetch(path), "YES") << path;
        EXPECT_FALSE(FileExists(target)) << path;
    }
    // "Connection: close" and an orderly close: the body is complete.
    server.Fail("/close.dat", Fault::OversizeUnsized, 30000);
    EXPECT_EQ(Fetch("/close.dat"), "YES");
    EXPECT_EQ(ReadWholeFile(target).size(), 30000u);
}

TEST_F(DownloadTest, BodiesOverTheLimitFailWhetherAnnouncedOrNot) {
    server.Fail("/big.dat", Fault::Oversize, kMaxDataFileBytes + 1);
    server.Fail("/stream.dat", Fault::OversizeUnsized, kMaxDataFileBytes + 1);
    for (const char* path : {"/big.dat", "/stream.dat"}) {
        std::string result = Fetch(path);
        EXPECT_NE(result, "YES") << path;
        EXPECT_NE(result.find(std::to_string(kMaxDataFileBytes)), std::string::npos) << result;
        EXPECT_FALSE(FileExists(target)) << path;
    }
    // Exactly at the limit is still a file.
    limits.maxBytes = 100000;
    server.Fail("/edge.dat", Fault::OversizeUnsized, 100000);
    EXPECT_EQ(Fetch("/edge.dat"), "YES");
    EXPECT_EQ(ReadWholeFile(target).size(), 100000u);
}

TEST_F(DownloadTest, TargetPastMaxPathIsWrittenAndCleanedUp) {
    ScratchDir deep(300);
    ASSERT_GT(deep.Path().size(), 260u);
    std::string path = deep.File("005930.dat");
    std::string body = Pattern(20000);
    server.Serve("/f.dat", body);
    EXPECT_EQ(DownloadToFile(Url("/f.dat"), path, limits).Text(), "YES");
    EXPECT_EQ(ReadWholeFile(path), body);
    server.Fail("/f.dat", Fault::NotFound);
    EXPECT_NE(DownloadToFile(Url("/f.dat"), path, limits).Text(), "YES");
    EXPECT_FALSE(FileExists(path));
}

}   // namespace
