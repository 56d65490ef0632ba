#include "repository/wql_condition.h"

#include <array>
#include <cerrno>
#include <cmath>
#include <cstdlib>
#include <optional>
#include <utility>

#include "repository/name_compare.h"
#include "repository/wql_lexer.h"

namespace norvwmi {

namespace {

struct ConditionToken {
    enum class Kind { Identifier, String, Number, Operator, Open, Close, End, Bad };
    Kind kind = Kind::End;
    std::string text;  // a string's text unescaped
    std::size_t offset = 0;
};

// The comparison operators of two characters, written without a blank between them.
constexpr std::array<std::string_view, 4> kPairedOperators{"<>", "!=", "<=", ">="};
constexpr std::string_view kSingleOperators = "=<>";

bool Adjacent(const WqlToken& first, const WqlToken& second) {
    return second.offset == first.offset + first.text.size();
}

// The condition's words as the WQL lexer reads them, with an operator's two characters
// joined and a name's dotted parts (TargetInstance.Name) taken as one property.
std::vector<ConditionToken> Tokens(std::string_view text) {
    std::vector<WqlToken> words;
    WqlLexer lexer(text);
    do words.push_back(lexer.Next());
    while (words.back().kind != WqlToken::Kind::End);

    std::vector<ConditionToken> tokens;
    for (std::size_t i = 0; i < words.size(); ++i) {
        const WqlToken& word = words[i];
        ConditionToken token;
        token.offset = word.offset;
        token.text = std::string(word.text);
        switch (word.kind) {
            case WqlToken::Kind::End:
                token.text.clear();
                break;
            case WqlToken::Kind::Text:
                token.kind = ConditionToken::Kind::String;
                token.text = QuotedText(word.text);
                break;
            case WqlToken::Kind::Number:
                token.kind = ConditionToken::Kind::Number;
                break;
            case WqlToken::Kind::Name:
                token.kind = ConditionToken::Kind::Identifier;
                while (i + 2 < words.size() && IsSymbol(words[i + 1], '.') &&
                       words[i + 2].kind == WqlToken::Kind::Name &&
                       Adjacent(words[i], words[i + 1]) && Adjacent(words[i + 1], words[i + 2])) {
                    token.text += "." + std::string(words[i + 2].text);
                    i += 2;
                }
                break;
            case WqlToken::Kind::Unclosed:
                token.kind = ConditionToken::Kind::Bad;
                token.text = word.text.front() == '{' ? "{" : "an unterminated string";
                break;
            case WqlToken::Kind::Path:
                token.kind = ConditionToken::Kind::Bad;
                token.text = "{";
                break;
            case WqlToken::Kind::Symbol: {
                const char c = word.text.front();
                token.kind = c == '(' ? ConditionToken::Kind::Open
                           : c == ')' ? ConditionToken::Kind::Close
                           : kSingleOperators.find(c) != std::string_view::npos
                               ? ConditionToken::Kind::Operator
                               : ConditionToken::Kind::Bad;
                if (i + 1 < words.size() && words[i + 1].kind == WqlToken::Kind::Symbol &&
                    Adjacent(word, words[i + 1])) {
                    const std::string pair = token.text + std::string(words[i + 1].text);
                    for (std::string_view op : kPairedOperators) {
                        if (pair != op) continue;
                        token.kind = ConditionToken::Kind::Operator;
                        token.text = pair;
                        ++i;
                        break;
                    }
                }
                break;
            }
        }
        tokens.push_back(std::move(token));
    }
    return tokens;
}

struct OperatorName {
    std::string_view text;
    WqlOperator op;
    WqlOperator mirrored;  // with the literal on the left
};

constexpr std::array kOperatorNames{
    OperatorName{"=", WqlOperator::Equal, WqlOperator::Equal},
    OperatorName{"<>", WqlOperator::NotEqual, WqlOperator::NotEqual},
    OperatorName{"!=", WqlOperator::NotEqual, WqlOperator::NotEqual},
    OperatorName{"<", WqlOperator::Less, WqlOperator::Greater},
    OperatorName{">", WqlOperator::Greater, WqlOperator::Less},
    OperatorName{"<=", WqlOperator::LessOrEqual, WqlOperator::GreaterOrEqual},
    OperatorName{">=", WqlOperator::GreaterOrEqual, WqlOperator::LessOrEqual},
};

// A number literal: an integer of either sign, else a real; nullopt when it is neither or
// out of range (an integer past 64 bits, a real past double's).
std::optional<CimValue> NumberValue(const std::string& text) {
    char* end = nullptr;
    errno = 0;
    if (text.find_first_of(".eE") == std::string::npos) {
        if (text.front() == '-') {
            const long long value = std::strtoll(text.c_str(), &end, 10);
            if (*end == '\0' && errno != ERANGE) return CimValue{std::int64_t{value}};
        } else {
            const unsigned long long value = std::strtoull(text.c_str(), &end, 10);
            if (*end == '\0' && errno != ERANGE) return CimValue{std::uint64_t{value}};
        }
        return std::nullopt;
    }
    const double value = std::strtod(text.c_str(), &end);
    if (*end != '\0' || !std::isfinite(value)) return std::nullopt;
    return CimValue{value};
}

class ConditionParser {
public:
    explicit ConditionParser(std::string_view text) : tokens_(Tokens(text)) {}

    std::variant<WqlCondition, WqlError> Parse() {
        WqlCondition condition = Disjunction();
        if (!error_ && Peek().kind != ConditionToken::Kind::End)
            Fail(Peek(), "unexpected text after the condition");
        if (error_) return *error_;
        return condition;
    }

private:
    const ConditionToken& Peek() const { return tokens_[pos_]; }
    const ConditionToken& Take() {
        const ConditionToken& token = tokens_[pos_];
        if (token.kind != ConditionToken::Kind::End) ++pos_;
        return token;
    }
    bool TakeKeyword(std::string_view keyword) {
        if (Peek().kind != ConditionToken::Kind::Identifier || !SameName(Peek().text, keyword))
            return false;
        ++pos_;
        return true;
    }
    void Fail(const ConditionToken& token, std::string reason) {
        if (!error_)
            error_ = WqlError{WqlError::Kind::Syntax, token.offset,
                              token.kind == ConditionToken::Kind::Bad ? "unexpected " + token.text
                                                                      : std::move(reason)};
    }

    static WqlCondition Joined(WqlCondition::Kind kind, WqlCondition left, WqlCondition right) {
        WqlCondition joined;
        joined.kind = kind;
        joined.operands.push_back(std::move(left));
        joined.operands.push_back(std::move(right));
        return joined;
    }

    WqlCondition Disjunction() {
        WqlCondition left = Conjunction();
        while (!error_ && TakeKeyword("OR"))
            left = Joined(WqlCondition::Kind::Or, std::move(left), Conjunction());
        return left;
    }

    WqlCondition Conjunction() {
        WqlCondition left = Negation();
        while (!error_ && TakeKeyword("AND"))
            left = Joined(WqlCondition::Kind::And, std::move(left), Negation());
        return left;
    }

    WqlCondition Negation() {
        if (TakeKeyword("NOT")) {
            WqlCondition negated;
            negated.kind = WqlCondition::Kind::Not;
            negated.operands.push_back(Negation());
            return negated;
        }
        if (Peek().kind == ConditionToken::Kind::Open) {
            Take();
            WqlCondition inner = Disjunction();
            if (!error_ && Take().kind != ConditionToken::Kind::Close)
                Fail(tokens_[pos_ - 1], "expected )");
            return inner;
        }
        return Comparison();
    }

    // A literal, or nullopt (the token is not taken) when the next token is not one.
    std::optional<CimValue> Literal() {
        const ConditionToken& token = Peek();
        if (token.kind == ConditionToken::Kind::String) {
            Take();
            return CimValue{token.text};
        }
        if (token.kind == ConditionToken::Kind::Number) {
            auto number = NumberValue(token.text);
            if (!number) Fail(token, "not a number: " + token.text);
            Take();
            return number;
        }
        if (TakeKeyword("TRUE")) return CimValue{true};
        if (TakeKeyword("FALSE")) return CimValue{false};
        if (TakeKeyword("NULL")) return CimValue{};
        return std::nullopt;
    }

    std::optional<OperatorName> Operator() {
        const ConditionToken& token = Peek();
        if (TakeKeyword("LIKE")) return OperatorName{"LIKE", WqlOperator::Like, WqlOperator::Like};
        if (token.kind == ConditionToken::Kind::Operator)
            for (const OperatorName& name : kOperatorNames)
                if (name.text == token.text) {
                    Take();
                    return name;
                }
        Fail(token, "expected a comparison operator");
        return std::nullopt;
    }

    WqlCondition Comparison() {
        WqlCondition comparison;
        if (auto literal = Literal()) {
            const auto op = Operator();
            if (Peek().kind != ConditionToken::Kind::Identifier) {
                Fail(Peek(), "expected a property name");
                return comparison;
            }
            comparison.property = Take().text;
            if (op) comparison.op = op->mirrored;
            comparison.literal = std::move(*literal);
            if (op && op->op == WqlOperator::Like) Fail(Peek(), "LIKE needs the property first");
        } else {
            if (Peek().kind != ConditionToken::Kind::Identifier) {
                Fail(Peek(), "expected a property name");
                return comparison;
            }
            comparison.property = Take().text;
            if (TakeKeyword("IS")) {
                comparison.op = TakeKeyword("NOT") ? WqlOperator::IsNotNull : WqlOperator::IsNull;
                if (!TakeKeyword("NULL")) Fail(Peek(), "expected NULL after IS");
                return comparison;
            }
            const auto op = Operator();
            if (!op) return comparison;
            comparison.op = op->op;
            auto value = Literal();
            if (!value) {
                Fail(Peek(), "expected a literal");
                return comparison;
            }
            comparison.literal = std::move(*value);
        }
        if (comparison.literal.IsNull()) {
            if (comparison.op == WqlOperator::Equal)
                comparison.op = WqlOperator::IsNull;
            else if (comparison.op == WqlOperator::NotEqual)
                comparison.op = WqlOperator::IsNotNull;
            else
                Fail(tokens_[pos_ - 1], "NULL compares only with = and <>");
        }
        if (comparison.op == WqlOperator::Like &&
            !std::holds_alternative<std::string>(comparison.literal.data))
            Fail(tokens_[pos_ - 1], "LIKE needs a string");
        return comparison;
    }

    std::vector<ConditionToken> tokens_;
    std::size_t pos_ = 0;
    std::optional<WqlError> error_;
};

void CollectProperties(const WqlCondition& condition, std::vector<std::string>& names) {
    if (condition.kind != WqlCondition::Kind::Comparison) {
        for (const WqlCondition& operand : condition.operands) CollectProperties(operand, names);
        return;
    }
    for (const std::string& name : names)
        if (SameName(name, condition.property)) return;
    names.push_back(condition.property);
}

// -1, 0 or 1; nullopt when the two cannot be compared (a text with a number, ...).
std::optional<int> Compare(const CimValue& value, const CimValue& literal) {
    if (const auto* text = std::get_if<std::string>(&value.data)) {
        const auto* other = std::get_if<std::string>(&literal.data);
        if (!other) return std::nullopt;
        if (SameName(*text, *other)) return 0;
        return NameLess(*text, *other) ? -1 : 1;
    }
    if (const auto* flag = std::get_if<bool>(&value.data)) {
        const auto* other = std::get_if<bool>(&literal.data);
        if (!other) return std::nullopt;
        return *flag == *other ? 0 : (*flag ? 1 : -1);
    }
    // Numbers: exactly as integers of either sign, else as reals.
    const auto asReal = [](const CimValue& v) -> std::optional<long double> {
        if (const auto* i = std::get_if<std::int64_t>(&v.data)) return static_cast<long double>(*i);
        if (const auto* u = std::get_if<std::uint64_t>(&v.data))
            return static_cast<long double>(*u);
        if (const auto* d = std::get_if<double>(&v.data)) return static_cast<long double>(*d);
        return std::nullopt;
    };
    const auto left = asReal(value);
    const auto right = asReal(literal);
    if (!left || !right) return std::nullopt;
    return *left < *right ? -1 : (*left > *right ? 1 : 0);
}

bool LikeFrom(std::string_view text, std::string_view pattern) {
    if (pattern.empty()) return text.empty();
    const char head = pattern.front();
    if (head == '%') {
        for (std::size_t skip = 0; skip <= text.size(); ++skip)
            if (LikeFrom(text.substr(skip), pattern.substr(1))) return true;
        return false;
    }
    if (text.empty()) return false;
    if (head == '[') {
        const std::size_t close = pattern.find(']', 2);
        if (close != std::string_view::npos) {
            std::string_view set = pattern.substr(1, close - 1);
            const bool negated = set.front() == '^';
            if (negated) set.remove_prefix(1);
            const char c = FoldAsciiCase(text.front());
            bool found = false;
            for (std::size_t i = 0; i < set.size(); ++i) {
                if (i + 2 < set.size() && set[i + 1] == '-') {
                    found = found || (c >= FoldAsciiCase(set[i]) && c <= FoldAsciiCase(set[i + 2]));
                    i += 2;
                } else {
                    found = found || c == FoldAsciiCase(set[i]);
                }
            }
            return found != negated && LikeFrom(text.substr(1), pattern.substr(close + 1));
        }
    }
    if (head != '_' && FoldAsciiCase(head) != FoldAsciiCase(text.front())) return false;
    return LikeFrom(text.substr(1), pattern.substr(1));
}

// A property of the object, or of an object it embeds for a dotted name (TargetInstance.Name);
// null when there is none.
const CimValue* PropertyValue(const CimObject& object, std::string_view name,
                              std::optional<CimValue>& system) {
    if (const std::size_t dot = name.find('.'); dot != std::string_view::npos) {
        const auto i = object.Find(name.substr(0, dot));
        const auto* embedded = i ? std::get_if<CimEmbedded>(&object.ValueAt(*i).data) : nullptr;
        if (!embedded || !embedded->object) return nullptr;
        return PropertyValue(*embedded->object, name.substr(dot + 1), system);
    }
    if (const auto i = object.Find(name)) return &object.ValueAt(*i);
    system = object.SystemValue(name);
    return system ? &*system : nullptr;
}

bool ComparisonHolds(const WqlCondition& comparison, const CimObject& object) {
    std::optional<CimValue> system;
    const CimValue* value = PropertyValue(object, comparison.property, system);
    const bool isNull = !value || value->IsNull();
    if (comparison.op == WqlOperator::IsNull) return isNull;
    if (comparison.op == WqlOperator::IsNotNull) return !isNull;
    if (isNull) return false;
    if (comparison.op == WqlOperator::Like) {
        const auto* text = std::get_if<std::string>(&value->data);
        return text && LikeFrom(*text, std::get<std::string>(comparison.literal.data));
    }
    const auto order = Compare(*value, comparison.literal);
    if (!order) return false;
    switch (comparison.op) {
        case WqlOperator::Equal:
            return *order == 0;
        case WqlOperator::NotEqual:
            return *order != 0;
        case WqlOperator::Less:
            return *order < 0;
        case WqlOperator::Greater:
            return *order > 0;
        case WqlOperator::LessOrEqual:
            return *order <= 0;
        case WqlOperator::GreaterOrEqual:
            return *order >= 0;
        default:
            return false;
    }
}

}  // namespace

std::variant<WqlCondition, WqlError> ParseWqlCondition(std::string_view text) {
    return ConditionParser(text).Parse();
}

std::vector<std::string> ConditionProperties(const WqlCondition& condition) {
    std::vector<std::string> names;
    CollectProperties(condition, names);
    return names;
}

bool ConditionHolds(const WqlCondition& condition, const CimObject& object) {
    switch (condition.kind) {
        case WqlCondition::Kind::And:
            return ConditionHolds(condition.operands[0], object) &&
                   ConditionHolds(condition.operands[1], object);
        case WqlCondition::Kind::Or:
            return ConditionHolds(condition.operands[0], object) ||
                   ConditionHolds(condition.operands[1], object);
        case WqlCondition::Kind::Not:
            return !ConditionHolds(condition.operands[0], object);
        case WqlCondition::Kind::Comparison:
            break;
    }
    return ComparisonHolds(condition, object);
}

SplitQuery SplitAtWhere(std::string_view query) {
    SplitQuery split;
    split.select = std::string(query);
    const auto parsed = ParseWqlSelect(query);
    const auto* error = std::get_if<WqlError>(&parsed);
    constexpr std::string_view kWhere = "WHERE";
    if (!error || error->kind != WqlError::Kind::Unsupported ||
        !SameName(query.substr(error->offset, kWhere.size()), kWhere))
        return split;
    split.select = std::string(query.substr(0, error->offset));
    split.condition = std::string(query.substr(error->offset + kWhere.size()));
    split.hasWhere = true;
    return split;
}

}  // namespace norvwmi
