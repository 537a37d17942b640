// The program's platform calls wrapped so that a test can kill the process at any point between
// them: the fault of a machine that loses power or a process killed with SIGKILL.
#pragma once

#include <signal.h>

#include <memory>

#include "platform/Platform.h"

// Counts the points between the program's platform calls (before and after each; the caller adds
// each step of a file replacement by calling Point from the inner platform's step hook) and kills
// the process at one of them.
class KillingPlatform : public IPlatform {
public:
    KillingPlatform(IPlatform& inner, long killAt) : m_inner(inner), m_killAt(killAt) {}
    long Points() const { return m_points; }

    void Point() {
        if (++m_points == m_killAt)
            raise(SIGKILL);
    }
    template <class Call>
    auto Around(Call call) {
        Point();
        auto result = call();
        Point();
        return result;
    }

    UINT GetProfileInt(LPCSTR s, LPCSTR k, int d, LPCSTR f) override {
        return Around([&] { return m_inner.GetProfileInt(s, k, d, f); });
    }
    BOOL WriteProfileString(LPCSTR s, LPCSTR k, LPCSTR v, LPCSTR f) override {
        return Around([&] { return m_inner.WriteProfileString(s, k, v, f); });
    }
    BOOL CopyFileTo(LPCSTR from, LPCSTR to, BOOL failIfExists) override {
        return Around([&] { return m_inner.CopyFileTo(from, to, failIfExists); });
    }
    BOOL ReplaceFileSafely(LPCSTR from, LPCSTR to) override {
        return Around([&] { return m_inner.ReplaceFileSafely(from, to); });
    }
    DWORD ReadFileAttributes(LPCSTR path) override {
        return Around([&] { return m_inner.ReadFileAttributes(path); });
    }
    BOOL WriteFileAttributes(LPCSTR path, DWORD attributes) override {
        return Around([&] { return m_inner.WriteFileAttributes(path, attributes); });
    }
    BOOL FileExists(LPCSTR path) override {
        return Around([&] { return m_inner.FileExists(path); });
    }
    std::unique_ptr<ITextStream> OpenTextStream(LPCSTR path) override;
    BOOL ReadWholeFile(LPCSTR path, std::string& bytes) override {
        return Around([&] { return m_inner.ReadWholeFile(path, bytes); });
    }
    LockOutcome LockExclusively(LPCSTR path, std::unique_ptr<IExclusiveLock>& lock) override {
        return Around([&] { return m_inner.LockExclusively(path, lock); });
    }
    BOOL ReadTokenGroups(std::vector<TokenGroup>& groups) override {
        return Around([&] { return m_inner.ReadTokenGroups(groups); });
    }
    BOOL ReadSystemDirectory(CString& directory) override {
        return Around([&] { return m_inner.ReadSystemDirectory(directory); });
    }
    BOOL ChangeCurrentDirectory(LPCSTR directory) override {
        return Around([&] { return m_inner.ChangeCurrentDirectory(directory); });
    }
    void SetWindowsFolderHint(LPCSTR windowsFolder) override {
        m_inner.SetWindowsFolderHint(windowsFolder);
    }

private:
    IPlatform& m_inner;
    long m_killAt;
    long m_points = 0;
};

class KillingStream : public ITextStream {
public:
    KillingStream(KillingPlatform& platform, std::unique_ptr<ITextStream> inner)
        : m_platform(platform), m_inner(std::move(inner)) {}
    BOOL ReadLine(CString& line) override {
        return m_platform.Around([&] { return m_inner->ReadLine(line); });
    }
    BOOL AtEndOfFile() override { return m_inner->AtEndOfFile(); }
    BOOL Rewind() override {
        return m_platform.Around([&] { return m_inner->Rewind(); });
    }
    BOOL Truncate() override {
        return m_platform.Around([&] { return m_inner->Truncate(); });
    }
    BOOL WriteLine(const CString& text) override {
        return m_platform.Around([&] { return m_inner->WriteLine(text); });
    }
    BOOL Flush() override {
        return m_platform.Around([&] { return m_inner->Flush(); });
    }
    BOOL Close() override {
        return m_platform.Around([&] { return m_inner->Close(); });
    }

private:
    KillingPlatform& m_platform;
    std::unique_ptr<ITextStream> m_inner;
};

inline std::unique_ptr<ITextStream> KillingPlatform::OpenTextStream(LPCSTR path) {
    std::unique_ptr<ITextStream> stream = Around([&] { return m_inner.OpenTextStream(path); });
    if (!stream)
        return nullptr;
    return std::make_unique<KillingStream>(*this, std::move(stream));
}
