#pragma once
// A CFile over bytes in memory, so that the readers of untrusted files can be driven
// without touching the disk (fuzz targets, the sanitizer test).

#include "qvsystem/platform/File.h"

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <vector>

class CMemoryFile : public CFile {
public:
    CMemoryFile() { m_strFileName = QStringLiteral("memory.bin"); }
    CMemoryFile(const uint8_t* data, size_t size) : CMemoryFile() { m_data.assign(data, data + size); }

    const std::vector<uint8_t>& Data() const { return m_data; }

    unsigned Read(void* buffer, unsigned count) override
    {
        const size_t available = m_position < m_data.size() ? m_data.size() - m_position : 0;
        const size_t n = std::min<size_t>(count, available);
        if (n != 0)
            std::memcpy(buffer, m_data.data() + m_position, n);
        m_position += n;
        return static_cast<unsigned>(n);
    }
    void Write(const void* buffer, unsigned count) override
    {
        if (m_position + count > m_data.size())
            m_data.resize(m_position + count);
        if (count != 0)
            std::memcpy(m_data.data() + m_position, buffer, count);
        m_position += count;
    }
    void Flush() override {}
    uint64_t Seek(int64_t offset, unsigned from) override
    {
        const int64_t base =
            from == begin ? 0 : (from == current ? int64_t(m_position) : int64_t(m_data.size()));
        if (base + offset < 0)
            throw CFileException(CFileException::badSeek, -1, m_strFileName);
        m_position = static_cast<size_t>(base + offset);
        return m_position;
    }
    uint64_t GetPosition() const override { return m_position; }
    uint64_t GetLength() const override { return m_data.size(); }
    void SetLength(uint64_t length) override { m_data.resize(static_cast<size_t>(length)); }
    void Close() override {}
    void Abort() override {}

private:
    std::vector<uint8_t> m_data;
    size_t m_position = 0;
};
