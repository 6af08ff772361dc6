#include "QueryParser.h"

#include <memory>
#include <vector>

namespace zelio {

namespace {

// Parentheses nested deeper than this are taken as text, which keeps both this parser's
// recursion and the index's expression depth bounded.
constexpr int kMaxDepth = 32;

enum class TokenType
{
    Term,
    And,
    Or,
    Not,
    Open,
    Close
};

struct Token
{
    TokenType type = TokenType::Term;
    std::string text;
    bool prefix = false;
};

bool IsSpace(char c)
{
    return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\f' || c == '\v';
}

std::vector<Token> Lex(std::string_view query)
{
    std::vector<Token> tokens;
    std::size_t pos = 0;
    while (pos < query.size()) {
        const char c = query[pos];
        if (IsSpace(c)) {
            ++pos;
        } else if (c == '(') {
            tokens.push_back({TokenType::Open, "(", false});
            ++pos;
        } else if (c == ')') {
            tokens.push_back({TokenType::Close, ")", false});
            ++pos;
        } else if (c == '"') {
            const std::size_t close = query.find('"', pos + 1);
            const std::size_t end = close == std::string_view::npos ? query.size() : close;
            Token token{TokenType::Term, std::string(query.substr(pos + 1, end - pos - 1)), false};
            pos = end == query.size() ? end : end + 1;
            while (pos < query.size() && query[pos] == '*') {
                token.prefix = true;
                ++pos;
            }
            tokens.push_back(std::move(token));
        } else {
            std::size_t end = pos;
            while (end < query.size() && !IsSpace(query[end]) && query[end] != '"' &&
                   query[end] != '(')
                ++end;
            // Closing parentheses at the end of a word close a group; inside it they are text.
            std::size_t wordEnd = end;
            while (wordEnd > pos && query[wordEnd - 1] == ')')
                --wordEnd;
            std::string_view word = query.substr(pos, wordEnd - pos);
            if (word.empty()) {
                pos = wordEnd;
                continue;
            }
            Token token{TokenType::Term, {}, false};
            if (word == "AND")
                token.type = TokenType::And;
            else if (word == "OR")
                token.type = TokenType::Or;
            else if (word == "NOT")
                token.type = TokenType::Not;
            while (!word.empty() && word.back() == '*') {
                token.prefix = true;
                word.remove_suffix(1);
            }
            token.text = std::string(word);
            tokens.push_back(std::move(token));
            pos = wordEnd;
        }
    }
    // Parentheses without a partner, and those nested too deeply, are text.
    std::vector<std::size_t> open;
    std::vector<bool> paired(tokens.size(), false);
    for (std::size_t i = 0; i < tokens.size(); ++i) {
        if (tokens[i].type == TokenType::Open) {
            open.push_back(i);
        } else if (tokens[i].type == TokenType::Close && !open.empty()) {
            if (open.size() <= static_cast<std::size_t>(kMaxDepth)) {
                paired[open.back()] = true;
                paired[i] = true;
            }
            open.pop_back();
        }
    }
    for (std::size_t i = 0; i < tokens.size(); ++i) {
        if ((tokens[i].type == TokenType::Open || tokens[i].type == TokenType::Close) && !paired[i])
            tokens[i].type = TokenType::Term;
    }
    return tokens;
}

// Builds the expression text directly; an empty text stands for "nothing searchable".
class CParser
{
public:
    CParser(std::vector<Token> tokens, const TokenCounter& countTokens)
        : m_tokens(std::move(tokens)), m_countTokens(countTokens)
    {
    }

    std::string Parse()
    {
        std::vector<std::string> parts;
        while (m_pos < m_tokens.size()) {
            std::string part = ParseOr();
            if (!part.empty())
                parts.push_back(std::move(part));
            // A stray closing parenthesis cannot occur (they are paired), but never loop.
            if (m_pos < m_tokens.size() && m_tokens[m_pos].type == TokenType::Close)
                ++m_pos;
        }
        return Join(parts, " AND ");
    }

private:
    static std::string Join(const std::vector<std::string>& parts, std::string_view op)
    {
        if (parts.empty())
            return {};
        if (parts.size() == 1)
            return parts.front();
        std::string joined = "(";
        for (std::size_t i = 0; i < parts.size(); ++i) {
            if (i)
                joined += op;
            joined += parts[i];
        }
        return joined + ")";
    }

    bool At(TokenType type) const
    {
        return m_pos < m_tokens.size() && m_tokens[m_pos].type == type;
    }

    std::string ParseOr()
    {
        std::vector<std::string> parts;
        for (;;) {
            std::string part = ParseAnd();
            if (!part.empty())
                parts.push_back(std::move(part));
            if (!At(TokenType::Or))
                break;
            ++m_pos;
        }
        return Join(parts, " OR ");
    }

    std::string ParseAnd()
    {
        std::vector<std::string> positives;
        std::vector<std::string> negatives;
        while (m_pos < m_tokens.size() && !At(TokenType::Or) && !At(TokenType::Close)) {
            if (At(TokenType::And)) {
                ++m_pos;
                continue;
            }
            if (At(TokenType::Not)) {
                ++m_pos;
                if (m_pos < m_tokens.size() && !At(TokenType::Or) && !At(TokenType::Close)) {
                    std::string negative = ParseUnary();
                    if (!negative.empty())
                        negatives.push_back(std::move(negative));
                }
                continue;
            }
            std::string positive = ParseUnary();
            if (!positive.empty())
                positives.push_back(std::move(positive));
        }
        // Nothing to exclude from: the negated terms have nothing to act on.
        if (positives.empty())
            return {};
        std::string expression = Join(positives, " AND ");
        if (!negatives.empty())
            expression = "(" + expression + " NOT " + Join(negatives, " OR ") + ")";
        return expression;
    }

    std::string ParseUnary()
    {
        const Token& token = m_tokens[m_pos++];
        switch (token.type) {
        case TokenType::Open: {
            std::string inner = ParseOr();
            if (At(TokenType::Close))
                ++m_pos;
            return inner;
        }
        case TokenType::Term:
            return Quote(token);
        default:
            // NOT NOT, NOT AND and the like: the second operator has no operand of its own.
            return {};
        }
    }

    std::string Quote(const Token& token) const
    {
        if (m_countTokens(token.text) == 0)
            return {};
        std::string quoted = "\"";
        for (char c : token.text) {
            if (c == '\0')
                continue;
            if (c == '"')
                quoted += '"';
            quoted += c;
        }
        quoted += '"';
        if (token.prefix)
            quoted += '*';
        return quoted;
    }

    std::vector<Token> m_tokens;
    const TokenCounter& m_countTokens;
    std::size_t m_pos = 0;
};

} // namespace

std::size_t CountTokensSimple(std::string_view text)
{
    std::size_t count = 0;
    bool inToken = false;
    for (char c : text) {
        const unsigned char u = static_cast<unsigned char>(c);
        const bool tokenChar =
            (u >= '0' && u <= '9') || (u >= 'a' && u <= 'z') || (u >= 'A' && u <= 'Z') || u >= 0x80;
        if (tokenChar && !inToken)
            ++count;
        inToken = tokenChar;
    }
    return count;
}

bool BuildMatchExpression(std::string_view query, const TokenCounter& countTokens,
                          std::string& match)
{
    const TokenCounter& counter = countTokens ? countTokens : TokenCounter(CountTokensSimple);
    CParser parser(Lex(query), counter);
    match = parser.Parse();
    return !match.empty();
}

} // namespace zelio
