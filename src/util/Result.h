#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <utility>

namespace kr39 {

// What went wrong and where: the file, the 1-based line (0 when no line applies) and a
// sentence for a person. The caller decides which message of the string table to show.
struct Failure {
    std::string File;
    int Line = 0;
    std::string What;

    // "pn.dat, line 4: <What>", or "<What>" when no file is known. Control characters in the
    // file name are written as \xNN, so that a name never steers the terminal.
    std::string Describe() const;
};

// Control characters (below 0x20, and 0x7F) written as \xNN; everything else unchanged.
std::string EscapeControls(std::string_view text);

// A text from a file as it is quoted in a failure: in double quotes, control characters written
// as \xNN so that the message stays on one line, and cut after 60 characters ("...").
std::string QuoteForMessage(std::string_view text);

// A value or a Failure. Core functions return these instead of throwing across layers.
template <class T> class [[nodiscard]] Result {
public:
    Result(T value)
        : m_value(std::move(value))
    {
    }
    Result(Failure failure)
        : m_failure(std::move(failure))
    {
    }

    bool Ok() const { return m_value.has_value(); }
    explicit operator bool() const { return Ok(); }
    T& Value() { return *m_value; }
    const T& Value() const { return *m_value; }
    T* operator->() { return &*m_value; }
    const T* operator->() const { return &*m_value; }
    const Failure& Error() const { return m_failure; }

private:
    std::optional<T> m_value;
    Failure m_failure;
};

template <> class [[nodiscard]] Result<void> {
public:
    Result() = default;
    Result(Failure failure)
        : m_ok(false)
        , m_failure(std::move(failure))
    {
    }

    bool Ok() const { return m_ok; }
    explicit operator bool() const { return m_ok; }
    const Failure& Error() const { return m_failure; }

private:
    bool m_ok = true;
    Failure m_failure;
};

} // namespace kr39
