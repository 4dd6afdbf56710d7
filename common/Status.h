// How the engine's pieces report an outcome: success, or a failure with a code the caller can
// act on and a text for people. One way for every subsystem (templates, QR codes, data
// sources, printing), so that the designer can show any failure the same way.
//
// The code is the subsystem's own enum (QrError, ...); operations whose callers only need the
// text use GeneralError. Texts are UTF-8 and may be empty when the code says it all.
#pragma once

#include <cstdio>
#include <cstdlib>
#include <optional>
#include <string>
#include <type_traits>
#include <utility>

namespace tav {

// The code of a failure that has nothing more specific to say than its text.
enum class GeneralError { Failed };

// The outcome of an operation without a value.
template <typename Code> class BasicStatus {
public:
    static BasicStatus success() { return BasicStatus(); }
    static BasicStatus failure(Code code, std::string message = {}) {
        return BasicStatus(code, std::move(message));
    }
    // Only for GeneralError. (A static_assert rather than a requires-clause: Qt's moc reads
    // this header through the designer's and cannot parse requires-clauses.)
    static BasicStatus failure(std::string message) {
        static_assert(std::is_same_v<Code, GeneralError>, "give the failure's code");
        return BasicStatus(GeneralError::Failed, std::move(message));
    }

    bool ok() const { return !m_failed; }
    explicit operator bool() const { return ok(); }
    // Why it failed; Code{} on success.
    Code code() const { return m_code; }
    // The text that says why it failed; empty on success.
    const std::string& error() const { return m_message; }

private:
    BasicStatus() = default;
    BasicStatus(Code code, std::string message)
        : m_failed(true), m_code(code), m_message(std::move(message)) {}

    bool m_failed = false;
    Code m_code{};
    std::string m_message;
};

using Status = BasicStatus<GeneralError>;

// A broken contract of the outcome types: a program fault, not an outcome. It stops the
// program in every build, because going on would show an empty error or read a value that
// is not there.
[[noreturn]] inline void outcomeMisused(const char* what) {
    std::fputs(what, stderr);
    std::fputc('\n', stderr);
    std::abort();
}

// A value, or the reason there is none. It is built from a value or from a failed status;
// a status that says success carries no value, so building a Result from one stops the
// program (see outcomeMisused), as does asking a failed Result for its value.
template <typename T, typename Code = GeneralError> class Result {
public:
    Result(T value) : m_value(std::move(value)) {}
    Result(BasicStatus<Code> failed) : m_status(std::move(failed)) {
        if (m_status.ok())
            outcomeMisused("a Result was built from a success status without a value");
    }
    static Result failure(Code code, std::string message = {}) {
        return Result(BasicStatus<Code>::failure(code, std::move(message)));
    }
    static Result failure(std::string message) {
        static_assert(std::is_same_v<Code, GeneralError>, "give the failure's code");
        return Result(BasicStatus<Code>::failure(std::move(message)));
    }

    bool ok() const { return m_value.has_value(); }
    explicit operator bool() const { return ok(); }
    Code code() const { return m_status.code(); }
    const std::string& error() const { return m_status.error(); }
    const BasicStatus<Code>& status() const { return m_status; }
    T& value() {
        checkValue();
        return *m_value;
    }
    const T& value() const {
        checkValue();
        return *m_value;
    }

private:
    void checkValue() const {
        if (!m_value)
            outcomeMisused("the value of a failed Result was asked for");
    }

    std::optional<T> m_value;
    BasicStatus<Code> m_status = BasicStatus<Code>::success();
};

} // namespace tav
