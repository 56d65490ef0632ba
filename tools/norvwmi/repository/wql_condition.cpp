#include "repository/wql_condition.h"

#include <array>
#include <cmath>
#include <cstdlib>
#include <optional>
#include <utility>

#include "repository/name_compare.h"

namespace norvwmi {

namespace {

struct ConditionToken {
    enum class Kind { Identifier, String, Number, Operator, Open, Close, End, Bad };
    Kind kind = Kind::End;
    std::string text;  // a string's text unescaped
    std::size_t offset = 0;
};

constexpr bool IsConditionBlank(char c) {
    return c == ' ' || c == '\t' || c == '\r' || c == '\n';
}
constexpr bool IsConditionNameChar(char c) {
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || c == '_' || (c >= '0' && c <= '9');
}
constexpr bool IsDigit(char c) {
    return c >= '0' && c <= '9';
}

std::vector<ConditionToken> Tokens(std::string_view text) {
    std::vector<ConditionToken> tokens;
    std::size_t pos = 0;
    for (;;) {
        while (pos < text.size() && IsConditionBlank(text[pos])) ++pos;
        ConditionToken token;
        token.offset = pos;
        if (pos == text.size()) {
            tokens.push_back(token);
            return tokens;
        }
        const char c = text[pos];
        const bool signedNumber = (c == '-' || c == '+') && pos + 1 < text.size() &&
                                  (IsDigit(text[pos + 1]) || text[pos + 1] == '.');
        if (c == '\'' || c == '"') {
            token.kind = ConditionToken::Kind::Bad;
            for (++pos; pos < text.size(); ++pos) {
                if (text[pos] == c) {
                    token.kind = ConditionToken::Kind::String;
                    ++pos;
                    break;
                }
                if (text[pos] == '\\' && pos + 1 < text.size()) ++pos;
                token.text += text[pos];
            }
            if (token.kind == ConditionToken::Kind::Bad) token.text = "an unterminated string";
        } else if (IsDigit(c) || c == '.' || signedNumber) {
            const std::size_t start = pos++;
            while (pos < text.size() && (IsConditionNameChar(text[pos]) || text[pos] == '.' ||
                                         ((text[pos] == '-' || text[pos] == '+') &&
                                          (text[pos - 1] == 'e' || text[pos - 1] == 'E'))))
                ++pos;
            token.kind = ConditionToken::Kind::Number;
            token.text = std::string(text.substr(start, pos - start));
        } else if (IsConditionNameChar(c)) {
            const std::size_t start = pos;
            while (pos < text.size() && IsConditionNameChar(text[pos])) ++pos;
            token.kind = ConditionToken::Kind::Identifier;
            token.text = std::string(text.substr(start, pos - start));
        } else if (c == '(' || c == ')') {
            token.kind = c == '(' ? ConditionToken::Kind::Open : ConditionToken::Kind::Close;
            token.text = std::string(1, c);
            ++pos;
        } else {
            constexpr std::array<std::string_view, 7> kOperators{
                "<>", "!=", "<=", ">=", "=", "<", ">"};
            token.kind = ConditionToken::Kind::Bad;
            token.text = std::string(1, c);
            for (std::string_view op : kOperators) {
                if (text.substr(pos, op.size()) != op) continue;
                token.kind = ConditionToken::Kind::Operator;
                token.text = std::string(op);
                break;
            }
            pos += token.text.size();
        }
        tokens.push_back(std::move(token));
    }
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

// A number literal: an integer of either sign, else a real; nullopt when it is neither.
std::optional<CimValue> NumberValue(const std::string& text) {
    char* end = nullptr;
    if (text.find_first_of(".eE") == std::string::npos) {
        if (text.front() == '-') {
            const long long value = std::strtoll(text.c_str(), &end, 10);
            if (*end == '\0') return CimValue{std::int64_t{value}};
        } else {
            const unsigned long long value = std::strtoull(text.c_str(), &end, 10);
            if (*end == '\0') return CimValue{std::uint64_t{value}};
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

const CimValue* PropertyValue(const CimObject& object, const std::string& name,
                              std::optional<CimValue>& system) {
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
