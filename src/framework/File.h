// Byte containers an archive reads from and writes to: files on disk and
// blocks of memory (resources, registry values, documents in the making).
#pragma once

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <vector>

class CFile {
public:
    enum OpenFlags : unsigned { modeRead = 0x0000, modeWrite = 0x0001, modeReadWrite = 0x0002, modeCreate = 0x1000 };
    enum SeekPosition { begin = 0, current = 1, end = 2 };

    CFile() = default;
    // Opens the file; throws CFileException when that fails.
    CFile(const std::filesystem::path& path, unsigned flags);
    virtual ~CFile() = default;
    CFile(const CFile&) = delete;
    CFile& operator=(const CFile&) = delete;

    // Reads up to count bytes; returns how many were read (fewer only at the end).
    virtual size_t Read(void* buffer, size_t count);
    // Writes count bytes or throws CFileException.
    virtual void Write(const void* buffer, size_t count);
    virtual uint64_t GetLength() const;
    virtual uint64_t GetPosition() const;
    virtual uint64_t Seek(int64_t offset, SeekPosition from);
    virtual void Flush();
    virtual void Close();

private:
    mutable std::fstream m_stream;
};

// A file in memory. Attached to a caller's block it is read-only and the block
// must outlive it; otherwise it owns a buffer that grows as it is written.
class CMemFile : public CFile {
public:
    CMemFile() = default;
    CMemFile(const void* data, size_t size);

    size_t Read(void* buffer, size_t count) override;
    void Write(const void* buffer, size_t count) override;
    uint64_t GetLength() const override;
    uint64_t GetPosition() const override { return m_position; }
    uint64_t Seek(int64_t offset, SeekPosition from) override;
    void Flush() override {}
    void Close() override {}

    // The bytes written so far (empty for an attached block).
    const std::vector<uint8_t>& Data() const { return m_owned; }

private:
    const uint8_t* m_attached = nullptr;
    size_t m_attachedSize = 0;
    std::vector<uint8_t> m_owned;
    size_t m_position = 0;
};
