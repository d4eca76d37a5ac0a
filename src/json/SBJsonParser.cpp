#include "json/SBJsonParser.h"

#include <utility>
#include <vector>

#include "json/JsonTokeniser.h"

namespace {

using json::detail::Token;
using json::detail::TokenKind;
using platform::Value;

enum class State {
    Start,
    Complete,
    Error,
    ObjectStart,
    ObjectGotKey,
    ObjectSeparator,
    ObjectGotValue,
    ObjectNeedKey,
    ArrayStart,
    ArrayGotValue,
    ArrayNeedValue,
};

// Where the parser is, as its errors say it.
const char* stateName(State state) {
    switch (state) {
        case State::Start: return "before outer-most array or object";
        case State::Complete: return "after outer-most array or object";
        case State::Error: return "in error";
        case State::ObjectStart: return "at beginning of object";
        case State::ObjectGotKey: return "after object key";
        case State::ObjectSeparator: return "as object value";
        case State::ObjectGotValue: return "after object value";
        case State::ObjectNeedKey: return "in place of object key";
        case State::ArrayStart: return "at array start";
        case State::ArrayGotValue: return "after array value";
        case State::ArrayNeedValue: return "as array value";
    }
    return "in error";
}

// An open array or object and what has been read into it so far. Values are
// built bottom-up: a container becomes a Value only when it closes.
struct Frame {
    bool isObject = false;
    Value::Array items;
    Value::Dictionary entries;
    std::string key;  // objects: the key waiting for its value
};

}  // namespace

std::optional<Value> SBJsonParser::fail(std::string message) {
    error_ = std::move(message);
    return std::nullopt;
}

std::optional<Value> SBJsonParser::objectWithString(const char* text) {
    if (!text) return fail("Input was 'nil'");
    return objectWithString(std::string_view(text));
}

std::optional<Value> SBJsonParser::objectWithString(std::string_view text) {
    return objectWithData(std::span(reinterpret_cast<const std::uint8_t*>(text.data()), text.size()));
}

std::optional<Value> SBJsonParser::objectWithData(const Value::Bytes* data) {
    if (!data) return fail("Input was 'nil'");
    return objectWithData(std::span<const std::uint8_t>(*data));
}

std::optional<Value> SBJsonParser::objectWithData(std::span<const std::uint8_t> data) {
    error_.clear();
    json::detail::Tokeniser tokeniser(data);
    std::vector<Frame> frames;  // an explicit stack: deep input cannot exhaust the call stack
    State state = State::Start;
    Value result;
    Token token;
    std::string message;

    auto unexpected = [&](TokenKind kind) {
        std::string text = "Token '" + std::string(json::detail::tokenName(kind)) + "' not expected " + stateName(state);
        state = State::Error;
        return fail(std::move(text));
    };
    // Files a finished value (scalar or closed container) where it belongs.
    auto place = [&](Value value) {
        if (frames.empty()) {
            result = std::move(value);
            state = State::Complete;
        } else if (Frame& top = frames.back(); top.isObject) {
            top.entries.insert_or_assign(std::move(top.key), std::move(value));
            top.key.clear();
            state = State::ObjectGotValue;
        } else {
            top.items.push_back(std::move(value));
            state = State::ArrayGotValue;
        }
    };
    auto wantsValue = [&] {
        return state == State::ArrayStart || state == State::ArrayNeedValue || state == State::ObjectSeparator;
    };

    for (;;) {
        if (!tokeniser.next(token, message)) {
            state = State::Error;
            return fail(std::move(message));
        }
        switch (token.kind) {
            case TokenKind::End:
                if (state != State::Complete) return fail(std::string(json::detail::kUnexpectedEnd));
                return result;

            case TokenKind::ArrayStart:
            case TokenKind::ObjectStart:
                if (state != State::Start && !wantsValue()) return unexpected(token.kind);
                if (frames.size() >= maxDepth_) {
                    state = State::Error;
                    return fail("Input depth exceeds max depth of " + std::to_string(maxDepth_));
                }
                frames.emplace_back();
                frames.back().isObject = token.kind == TokenKind::ObjectStart;
                state = frames.back().isObject ? State::ObjectStart : State::ArrayStart;
                break;

            case TokenKind::ArrayEnd:
                if (state != State::ArrayStart && state != State::ArrayGotValue) return unexpected(token.kind);
                {
                    Value closed(std::move(frames.back().items));
                    frames.pop_back();
                    place(std::move(closed));
                }
                break;

            case TokenKind::ObjectEnd:
                if (state != State::ObjectStart && state != State::ObjectGotValue) return unexpected(token.kind);
                {
                    Value closed(std::move(frames.back().entries));
                    frames.pop_back();
                    place(std::move(closed));
                }
                break;

            case TokenKind::ValueSeparator:
                if (state == State::ArrayGotValue) {
                    state = State::ArrayNeedValue;
                } else if (state == State::ObjectGotValue) {
                    state = State::ObjectNeedKey;
                } else {
                    return unexpected(token.kind);
                }
                break;

            case TokenKind::KeyValueSeparator:
                if (state != State::ObjectGotKey) return unexpected(token.kind);
                state = State::ObjectSeparator;
                break;

            case TokenKind::String:
                if (state == State::ObjectStart || state == State::ObjectNeedKey) {
                    frames.back().key = std::move(token.text);
                    state = State::ObjectGotKey;
                } else if (wantsValue()) {
                    place(Value(std::move(token.text)));
                } else {
                    return unexpected(token.kind);
                }
                break;

            case TokenKind::Number:
            case TokenKind::Boolean:
            case TokenKind::Null:
                if (!wantsValue()) return unexpected(token.kind);
                place(std::move(token.value));
                break;
        }
    }
}
