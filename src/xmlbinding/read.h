#pragma once

#include <cstddef>
#include <cstdio>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

namespace xmlb {

// A source of bytes. The reader consumes the current chunk [cur(), end()) through a pointer and
// asks refill() for the next chunk only at its end, so no virtual call is made per byte. The first
// chunk holds at least the first four bytes of the input (or all of a shorter input).
class c_read {
public:
    virtual ~c_read() = default;

    // Byte-wise access: the next byte or -1 at the end, one step back, end of input.
    int get() {
        if (m_cur == m_end && !refill())
            return -1;
        return *m_cur++;
    }
    void unget() {
        if (m_cur != m_begin)
            --m_cur;
    }
    bool at_end() { return m_cur == m_end && !refill(); }

    const unsigned char* cur() const { return m_cur; }
    const unsigned char* end() const { return m_end; }
    void set_cur(const unsigned char* p) { m_cur = p; }

    // Loads the next chunk once the current one is used up; false at the end of input.
    virtual bool refill() = 0;

    // True when the source could not be opened; name() then says which one.
    bool failed() const { return m_failed; }
    const std::string& name() const { return m_name; }

protected:
    c_read() = default;
    c_read(const c_read&) = delete;
    c_read& operator=(const c_read&) = delete;

    const unsigned char* m_begin = nullptr;
    const unsigned char* m_cur = nullptr;
    const unsigned char* m_end = nullptr;
    bool m_failed = false;
    std::string m_name;
};

// Reads the bytes between two pointers in place; the bytes must outlive the source.
class c_read_memory : public c_read {
public:
    c_read_memory(const char* begin, const char* end);
    bool refill() override { return false; }
};

// Reads a file in chunks.
class c_read_file : public c_read {
public:
    explicit c_read_file(const wchar_t* path);
    explicit c_read_file(const std::filesystem::path& path);
    bool refill() override;

private:
    struct closer {
        void operator()(std::FILE* f) const { std::fclose(f); }
    };
    std::unique_ptr<std::FILE, closer> m_file;
    std::vector<unsigned char> m_buffer;
};

} // namespace xmlb
