#include "framework/File.h"

#include <algorithm>
#include <cstring>

#include "framework/Exception.h"

CFile::CFile(const std::filesystem::path& path, unsigned flags)
{
    std::ios::openmode mode = std::ios::binary;
    if (flags & modeReadWrite)
        mode |= std::ios::in | std::ios::out;
    else if (flags & modeWrite)
        mode |= std::ios::out;
    else
        mode |= std::ios::in;
    if (flags & modeCreate)
        mode |= std::ios::trunc | std::ios::out;
    m_stream.open(path, mode);
    if (!m_stream.is_open()) {
        std::error_code ec;
        const bool exists = std::filesystem::exists(path, ec);
        throw CFileException(exists || (flags & modeCreate) ? CFileException::accessDenied : CFileException::fileNotFound);
    }
}

size_t CFile::Read(void* buffer, size_t count)
{
    m_stream.read(static_cast<char*>(buffer), static_cast<std::streamsize>(count));
    const auto got = static_cast<size_t>(m_stream.gcount());
    if (m_stream.eof())
        m_stream.clear();
    else if (!m_stream)
        throw CFileException(CFileException::genericException);
    return got;
}

void CFile::Write(const void* buffer, size_t count)
{
    m_stream.write(static_cast<const char*>(buffer), static_cast<std::streamsize>(count));
    if (!m_stream)
        throw CFileException(CFileException::genericException);
}

uint64_t CFile::GetLength() const
{
    const auto here = m_stream.tellg();
    m_stream.seekg(0, std::ios::end);
    const auto length = m_stream.tellg();
    m_stream.seekg(here);
    return static_cast<uint64_t>(length);
}

uint64_t CFile::GetPosition() const
{
    return static_cast<uint64_t>(m_stream.tellg());
}

uint64_t CFile::Seek(int64_t offset, SeekPosition from)
{
    const auto dir = from == begin ? std::ios::beg : from == current ? std::ios::cur : std::ios::end;
    m_stream.seekg(offset, dir);
    m_stream.seekp(m_stream.tellg());
    if (!m_stream)
        throw CFileException(CFileException::genericException);
    return static_cast<uint64_t>(m_stream.tellg());
}

void CFile::Flush()
{
    m_stream.flush();
}

void CFile::Close()
{
    if (m_stream.is_open())
        m_stream.close();
}

CMemFile::CMemFile(const void* data, size_t size)
    : m_attached(static_cast<const uint8_t*>(data)), m_attachedSize(size)
{
}

size_t CMemFile::Read(void* buffer, size_t count)
{
    const uint8_t* data = m_attached ? m_attached : m_owned.data();
    const size_t length = static_cast<size_t>(GetLength());
    const size_t n = m_position < length ? std::min(count, length - m_position) : 0;
    if (n > 0)
        std::memcpy(buffer, data + m_position, n);
    m_position += n;
    return n;
}

void CMemFile::Write(const void* buffer, size_t count)
{
    if (m_attached)
        throw CFileException(CFileException::accessDenied);
    if (m_position + count > m_owned.size())
        m_owned.resize(m_position + count);
    if (count > 0)
        std::memcpy(m_owned.data() + m_position, buffer, count);
    m_position += count;
}

uint64_t CMemFile::GetLength() const
{
    return m_attached ? m_attachedSize : m_owned.size();
}

uint64_t CMemFile::Seek(int64_t offset, SeekPosition from)
{
    const int64_t base = from == begin ? 0 : from == current ? static_cast<int64_t>(m_position)
                                                             : static_cast<int64_t>(GetLength());
    const int64_t target = base + offset;
    if (target < 0)
        throw CFileException(CFileException::genericException);
    m_position = static_cast<size_t>(target);
    return m_position;
}
