#include "data/SqlStatement.h"

#include "data/DataError.h"

namespace lex {

namespace {

struct Token {
    enum class Kind { Word, Number, String, Parameter, Symbol, End };
    Kind kind;
    QString text;
};

std::vector<Token> tokenize(const QString& sql) {
    std::vector<Token> tokens;
    int positional = 0;
    qsizetype i = 0;
    const qsizetype n = sql.size();
    while (i < n) {
        const QChar c = sql[i];
        if (c.isSpace()) {
            ++i;
        } else if (c.isLetter() || c == u'_') {
            qsizetype j = i;
            while (j < n && (sql[j].isLetterOrNumber() || sql[j] == u'_'))
                ++j;
            tokens.push_back({Token::Kind::Word, sql.mid(i, j - i)});
            i = j;
        } else if (c.isDigit() || (c == u'-' && i + 1 < n && sql[i + 1].isDigit())) {
            qsizetype j = i + 1;
            while (j < n && sql[j].isDigit())
                ++j;
            tokens.push_back({Token::Kind::Number, sql.mid(i, j - i)});
            i = j;
        } else if (c == u'"' || c == u'\'') {
            QString value;
            qsizetype j = i + 1;
            for (;;) {
                if (j >= n)
                    throw DataError(QStringLiteral("Unterminated string in the statement."));
                if (sql[j] == c) {
                    if (j + 1 < n && sql[j + 1] == c) {  // a doubled quote stands for one
                        value += c;
                        j += 2;
                        continue;
                    }
                    break;
                }
                value += sql[j++];
            }
            tokens.push_back({Token::Kind::String, value});
            i = j + 1;
        } else if (c == u':' && i + 1 < n &&
                   (sql[i + 1].isLetterOrNumber() || sql[i + 1] == u'_')) {
            qsizetype j = i + 1;
            while (j < n && (sql[j].isLetterOrNumber() || sql[j] == u'_'))
                ++j;
            tokens.push_back({Token::Kind::Parameter, sql.mid(i, j - i)});
            i = j;
        } else if (c == u'?') {
            tokens.push_back({Token::Kind::Parameter, QStringLiteral("?%1").arg(++positional)});
            ++i;
        } else {
            static const QStringList twoChar{QStringLiteral("<>"), QStringLiteral("<="),
                                             QStringLiteral(">="), QStringLiteral("!=")};
            const QString two = sql.mid(i, 2);
            if (twoChar.contains(two)) {
                tokens.push_back({Token::Kind::Symbol, two});
                i += 2;
            } else if (QStringLiteral("*()=<>;").contains(c)) {
                tokens.push_back({Token::Kind::Symbol, QString(c)});
                ++i;
            } else {
                throw DataError(QStringLiteral("Invalid character '%1' in the statement.").arg(c));
            }
        }
    }
    tokens.push_back({Token::Kind::End, QString()});
    return tokens;
}

class Parser {
  public:
    explicit Parser(std::vector<Token> tokens) : tokens_(std::move(tokens)) {}

    SqlStatement statement() {
        SqlStatement st;
        expectWord("SELECT");
        expectSymbol("*");
        expectWord("FROM");
        st.table = name();
        if (acceptWord("WHERE")) {
            st.hasWhere = true;
            st.where = orExpression();
        }
        if (acceptWord("ORDER")) {
            expectWord("BY");
            st.orderBy = name();
            if (acceptWord("DESC"))
                st.descending = true;
            else
                acceptWord("ASC");
        }
        acceptSymbol(";");
        if (peek().kind != Token::Kind::End)
            fail();
        return st;
    }

  private:
    const Token& peek() const { return tokens_[pos_]; }

    [[noreturn]] void fail() const {
        const Token& t = peek();
        if (t.kind == Token::Kind::End)
            throw DataError(QStringLiteral("Incomplete statement: it ends too early."));
        throw DataError(QStringLiteral("Invalid statement near \"%1\".").arg(t.text));
    }

    bool acceptWord(const char* word) {
        if (peek().kind == Token::Kind::Word &&
            peek().text.compare(QLatin1String(word), Qt::CaseInsensitive) == 0) {
            ++pos_;
            return true;
        }
        return false;
    }
    void expectWord(const char* word) {
        if (!acceptWord(word))
            fail();
    }
    bool acceptSymbol(const char* symbol) {
        if (peek().kind == Token::Kind::Symbol && peek().text == QLatin1String(symbol)) {
            ++pos_;
            return true;
        }
        return false;
    }
    void expectSymbol(const char* symbol) {
        if (!acceptSymbol(symbol))
            fail();
    }
    QString name() {
        if (peek().kind != Token::Kind::Word)
            fail();
        return tokens_[pos_++].text;
    }

    SqlCondition orExpression() {
        SqlCondition first = andExpression();
        if (peek().kind != Token::Kind::Word ||
            peek().text.compare(QLatin1String("OR"), Qt::CaseInsensitive) != 0)
            return first;
        SqlCondition any;
        any.kind = SqlCondition::Kind::Or;
        any.children.push_back(std::move(first));
        while (acceptWord("OR"))
            any.children.push_back(andExpression());
        return any;
    }

    SqlCondition andExpression() {
        SqlCondition first = primary();
        if (peek().kind != Token::Kind::Word ||
            peek().text.compare(QLatin1String("AND"), Qt::CaseInsensitive) != 0)
            return first;
        SqlCondition all;
        all.kind = SqlCondition::Kind::And;
        all.children.push_back(std::move(first));
        while (acceptWord("AND"))
            all.children.push_back(primary());
        return all;
    }

    SqlCondition primary() {
        if (acceptSymbol("(")) {
            SqlCondition inner = orExpression();
            expectSymbol(")");
            return inner;
        }
        SqlCondition c;
        c.field = name();
        using Op = SqlCondition::Op;
        if (acceptWord("LIKE"))
            c.op = Op::Like;
        else if (acceptSymbol("="))
            c.op = Op::Equal;
        else if (acceptSymbol("<>") || acceptSymbol("!="))
            c.op = Op::NotEqual;
        else if (acceptSymbol("<="))
            c.op = Op::LessEqual;
        else if (acceptSymbol(">="))
            c.op = Op::GreaterEqual;
        else if (acceptSymbol("<"))
            c.op = Op::Less;
        else if (acceptSymbol(">"))
            c.op = Op::Greater;
        else
            fail();
        const Token& v = peek();
        switch (v.kind) {
            case Token::Kind::Number:
                c.literal = v.text.toLongLong();
                break;
            case Token::Kind::String:
                c.literal = v.text;
                break;
            case Token::Kind::Parameter:
                c.parameter = v.text;
                break;
            default:
                fail();
        }
        ++pos_;
        return c;
    }

    std::vector<Token> tokens_;
    size_t pos_ = 0;
};

}  // namespace

SqlStatement SqlStatement::parse(const QStringList& lines) {
    return Parser(tokenize(lines.join(u'\n'))).statement();
}

}  // namespace lex
