#pragma once

// Helpers for the stored-data tests: files in a temporary folder and a child process that
// runs with a file-size limit, so a write fails half-way even for root.

#include <gtest/gtest.h>
#include <json/json.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <csignal>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "platform/file_io.h"

namespace calvorn::storage::testing {

inline void WriteText(const std::filesystem::path& path, const std::string& text) {
    ASSERT_TRUE(platform::WriteFileAtomically(path, text)) << path;
}

inline std::string ReadText(const std::filesystem::path& path) {
    return platform::ReadWholeFile(path).value_or("<unreadable>");
}

inline Json::Value Parse(const std::string& text) {
    Json::Value root;
    Json::CharReaderBuilder builder;
    std::string errors;
    std::unique_ptr<Json::CharReader> reader(builder.newCharReader());
    EXPECT_TRUE(reader->parse(text.data(), text.data() + text.size(), &root, &errors)) << errors;
    return root;
}

inline std::vector<std::string> FolderContent(const std::filesystem::path& folder) {
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(folder)) {
        names.push_back(entry.path().filename().string());
    }
    std::sort(names.begin(), names.end());
    return names;
}

// Runs `body` in a child process whose files may not grow past `limit` bytes and returns
// what `body` returned.
inline bool RunWithFileSizeLimit(rlim_t limit, const std::function<bool()>& body) {
    const pid_t child = ::fork();
    EXPECT_GE(child, 0);
    if (child == 0) {
        std::signal(SIGXFSZ, SIG_IGN);
        const rlimit size_limit{limit, limit};
        ::setrlimit(RLIMIT_FSIZE, &size_limit);
        ::_exit(body() ? 1 : 0);
    }
    int status = 0;
    EXPECT_EQ(::waitpid(child, &status, 0), child);
    EXPECT_TRUE(WIFEXITED(status));
    return WEXITSTATUS(status) == 1;
}

}  // namespace calvorn::storage::testing
