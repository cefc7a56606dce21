#include "xmlbinding/read.h"

namespace xmlb {

namespace {
constexpr std::size_t chunk_size = 64 * 1024;
}

c_read_memory::c_read_memory(const char* begin, const char* end) {
    m_begin = m_cur = reinterpret_cast<const unsigned char*>(begin);
    m_end = reinterpret_cast<const unsigned char*>(end);
    if (!m_begin || m_end < m_begin)
        m_begin = m_cur = m_end;
}

c_read_file::c_read_file(const wchar_t* path) : c_read_file(std::filesystem::path(path)) {}

c_read_file::c_read_file(const std::filesystem::path& path) {
    m_name = path.string();
    m_file.reset(std::fopen(path.c_str(), "rb"));
    m_failed = !m_file;
    // One byte in front of every chunk keeps the last byte of the previous one for unget().
    m_buffer.resize(chunk_size + 1);
    m_begin = m_cur = m_end = m_buffer.data() + 1;
    refill();
}

bool c_read_file::refill() {
    if (m_cur != m_end)
        return true;
    if (!m_file)
        return false;
    unsigned char* data = m_buffer.data() + 1;
    const bool had_bytes = m_end != data || m_cur != data;
    if (had_bytes && m_end > data)
        m_buffer[0] = m_end[-1];
    const std::size_t n = std::fread(data, 1, chunk_size, m_file.get());
    if (n == 0)
        return false;
    m_begin = had_bytes ? m_buffer.data() : data;
    m_cur = data;
    m_end = data + n;
    return true;
}

} // namespace xmlb
