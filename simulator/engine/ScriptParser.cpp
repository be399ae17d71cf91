#include "engine/ScriptParser.h"

#include "engine/AdjustmentTable.h"
#include "engine/ScriptLexer.h"
#include "engine/Terminology.h"

#include <QHash>
#include <QSet>
#include <QStringList>

namespace orbix::c1sim {
namespace {

constexpr int kMaxNesting = 64;

const QString kTooDeep = QStringLiteral("The script is nested too deeply.");

enum class TermKind { Property, Command, Enumerator, Class };

struct Term {
    QStringList words;
    TermKind kind;
    QString name;
};

// Terms indexed by their first word; each list is sorted longest first so the first match is the longest.
using TermIndex = QHash<QString, std::vector<Term>>;

void addTerm(TermIndex& index, const QString& phrase, TermKind kind) {
    const QStringList words = phrase.split(QLatin1Char(' '), Qt::SkipEmptyParts);
    auto& bucket = index[words.first()];
    for (const Term& existing : bucket) {
        if (existing.words == words) {
            return;
        }
    }
    bucket.push_back({words, kind, phrase});
    std::stable_sort(bucket.begin(), bucket.end(),
                     [](const Term& a, const Term& b) { return a.words.size() > b.words.size(); });
}

const TermIndex& applicationTerms() {
    static const TermIndex index = [] {
        TermIndex terms;
        for (const auto& command : terminology::commands()) {
            addTerm(terms, command.name, TermKind::Command);
        }
        for (const auto& cls : terminology::classes()) {
            for (const auto& property : cls.properties) {
                addTerm(terms, property.name, TermKind::Property);
            }
        }
        for (const QString& enumerator : terminology::enumerators()) {
            addTerm(terms, enumerator, TermKind::Enumerator);
        }
        for (const char* cls : {"document", "variant", "layer", "style"}) {
            addTerm(terms, QString::fromLatin1(cls), TermKind::Class);
        }
        return terms;
    }();
    return index;
}

const QSet<QString>& reservedWords() {
    static const QSet<QString> words = [] {
        QSet<QString> set;
        for (const char* word :
             {"tell", "to",     "end",     "set",         "if",       "then",        "else",     "repeat",
              "with", "in",     "return",  "error",       "of",       "is",          "not",      "and",
              "or",   "true",   "false",   "exists",      "count",    "application", "contains", "equals",
              "div",  "mod",    "as",      "on",          "my",       "me",          "it",       "its",
              "get",  "copy",   "where",   "whose",       "while",    "until",       "times",    "from",
              "by",   "number", "missing", "considering", "ignoring", "try",         "exit",     "the"}) {
            set.insert(QString::fromLatin1(word));
        }
        return set;
    }();
    return words;
}

// Words that may start an expression although they are reserved.
const QSet<QString>& expressionKeywords() {
    static const QSet<QString> words = [] {
        QSet<QString> set;
        for (const char* word : {"not", "count", "exists", "application", "true", "false", "end", "missing"}) {
            set.insert(QString::fromLatin1(word));
        }
        return set;
    }();
    return words;
}

class Parser {
public:
    Parser(const QString& source, std::vector<Token> tokens) : source_(source), tokens_(std::move(tokens)) {}

    Script parse() {
        Script script;
        script.source = source_;
        skipLineEnds();
        while (current().kind != Token::Kind::End) {
            if (current().isWord(u"end") || current().isWord(u"else")) {
                fail(QStringLiteral("Expected end of line, etc. but found %1.").arg(describe(current())));
            }
            if (current().isWord(u"on")) {
                script.handlers.push_back(parseHandler(script));
            } else {
                script.body.push_back(parseStatement());
            }
            expectLineEnd();
            skipLineEnds();
        }
        return script;
    }

private:
    struct DepthGuard {
        explicit DepthGuard(Parser& parser) : parser(parser) {
            if (++parser.depth_ > kMaxNesting) {
                parser.fail(kTooDeep);
            }
        }
        ~DepthGuard() { --parser.depth_; }
        Parser& parser;
    };

    const Token& current() const { return tokens_[position_]; }
    const Token& peek(size_t ahead = 1) const {
        return tokens_[std::min(position_ + ahead, tokens_.size() - 1)];
    }
    const Token& advance() {
        const Token& token = tokens_[position_];
        if (position_ + 1 < tokens_.size()) {
            ++position_;
        }
        return token;
    }
    int previousEnd() const { return position_ > 0 ? tokens_[position_ - 1].end : 0; }

    [[noreturn]] void fail(const QString& message) const { fail(message, current()); }
    [[noreturn]] void fail(const QString& message, const Token& at) const {
        throw ScriptError{message, errnum::kSyntax, at.start, std::max(at.end, at.start)};
    }

    QString describe(const Token& token) const {
        switch (token.kind) {
        case Token::Kind::End:
            return QStringLiteral("end of script");
        case Token::Kind::LineEnd:
            if (&token == &current() && peek().kind == Token::Kind::End) {
                return QStringLiteral("end of script");
            }
            return QStringLiteral("end of line");
        case Token::Kind::String:
            return QStringLiteral("“\"”");
        case Token::Kind::Integer:
        case Token::Kind::Real:
            return QStringLiteral("number");
        case Token::Kind::Symbol:
            return QStringLiteral("“%1”").arg(token.text);
        case Token::Kind::QuotedWord:
            return QStringLiteral("identifier");
        case Token::Kind::Word:
            if (reservedWords().contains(token.text)) {
                return QStringLiteral("“%1”").arg(token.text);
            }
            if (termsActive_ && matchTerm(position_)) {
                return QStringLiteral("“%1”").arg(matchTerm(position_)->name);
            }
            return QStringLiteral("identifier");
        }
        return {};
    }

    void expect(QStringView word) {
        if (!current().isWord(word)) {
            fail(QStringLiteral("Expected “%1” but found %2.").arg(word, describe(current())));
        }
        advance();
    }
    void expectSymbol(QStringView symbol) {
        if (!current().isSymbol(symbol)) {
            fail(QStringLiteral("Expected “%1” but found %2.").arg(symbol, describe(current())));
        }
        advance();
    }
    bool atLineEnd() const {
        return current().kind == Token::Kind::LineEnd || current().kind == Token::Kind::End;
    }
    void expectLineEnd() {
        if (current().kind == Token::Kind::LineEnd) {
            advance();
            return;
        }
        if (current().kind != Token::Kind::End) {
            fail(QStringLiteral("Expected end of line, etc. but found %1.").arg(describe(current())));
        }
    }
    void skipLineEnds() {
        while (current().kind == Token::Kind::LineEnd) {
            advance();
        }
    }

    // The longest application term starting at a token, when terms are active.
    const Term* matchTerm(size_t at) const {
        if (!termsActive_ || tokens_[at].kind != Token::Kind::Word) {
            return nullptr;
        }
        const auto& index = applicationTerms();
        const auto bucket = index.constFind(tokens_[at].text);
        if (bucket == index.constEnd()) {
            return nullptr;
        }
        for (const Term& term : *bucket) {
            bool matches = true;
            for (qsizetype i = 0; i < term.words.size() && matches; ++i) {
                const size_t k = at + size_t(i);
                matches = k < tokens_.size() && tokens_[k].kind == Token::Kind::Word &&
                          tokens_[k].text == term.words[i];
            }
            if (matches) {
                return &term;
            }
        }
        return nullptr;
    }
    bool matchWords(const QStringList& words) const {
        for (qsizetype i = 0; i < words.size(); ++i) {
            const Token& token = peek(size_t(i));
            if (token.kind != Token::Kind::Word || token.text != words[i]) {
                return false;
            }
        }
        return true;
    }
    void consumeWords(qsizetype count) {
        for (qsizetype i = 0; i < count; ++i) {
            advance();
        }
    }

    bool isIdentifier(const Token& token) const {
        if (token.kind == Token::Kind::QuotedWord) {
            return true;
        }
        return token.kind == Token::Kind::Word && !reservedWords().contains(token.text);
    }

    ExprPtr makeExpr(Expr::Kind kind, int start) {
        auto expr = std::make_unique<Expr>();
        expr->kind = kind;
        expr->start = start;
        expr->end = previousEnd();
        return expr;
    }
    StmtPtr makeStmt(Stmt::Kind kind, int start) {
        auto stmt = std::make_unique<Stmt>();
        stmt->kind = kind;
        stmt->start = start;
        stmt->end = previousEnd();
        return stmt;
    }

    // ---- statements ----

    Block parseBlock(bool allowElse) {
        Block block;
        skipLineEnds();
        while (!current().isWord(u"end") && !(allowElse && current().isWord(u"else"))) {
            if (current().kind == Token::Kind::End) {
                fail(QStringLiteral("Expected “end” but found end of script."));
            }
            if (current().isWord(u"else")) {
                fail(QStringLiteral("Expected “end” but found “else”."));
            }
            block.push_back(parseStatement());
            expectLineEnd();
            skipLineEnds();
        }
        return block;
    }

    Handler parseHandler(const Script& script) {
        advance(); // on
        const Token& token = current();
        if (!isIdentifier(token)) {
            fail(QStringLiteral("Expected identifier but found %1.").arg(describe(token)));
        }
        Handler handler;
        handler.name = token.kind == Token::Kind::Word ? token.text : token.text.toLower();
        for (const Handler& other : script.handlers) {
            if (other.name == handler.name) {
                fail(QStringLiteral("The %1 handler is specified more than once.").arg(token.text));
            }
        }
        advance();
        expectSymbol(u"(");
        expectSymbol(u")");
        expectLineEnd();
        handler.body = parseBlock(false);
        expect(u"end");
        if (current().isWord(handler.name)) {
            advance();
        } else if (!atLineEnd()) {
            fail(QStringLiteral("Expected “end” or “end %1” but found %2.")
                     .arg(handler.name, describe(current())));
        }
        return handler;
    }

    void parseEnd(QStringView keyword) {
        expect(u"end");
        if (current().isWord(keyword)) {
            advance();
            return;
        }
        if (current().isWord(u"tell") || current().isWord(u"repeat") || current().isWord(u"if")) {
            fail(QStringLiteral("Expected “end” or “end %1” but found “end %2”.").arg(keyword, current().text));
        }
    }

    StmtPtr parseStatement() {
        DepthGuard guard(*this);
        const Token& token = current();
        if (token.isWord(u"tell")) {
            return parseTell();
        }
        if (token.isWord(u"if")) {
            return parseIf();
        }
        if (token.isWord(u"repeat")) {
            return parseRepeat();
        }
        return parseSimpleStatement();
    }

    StmtPtr parseSimpleStatement() {
        const Token& token = current();
        const int start = token.start;
        if (token.isWord(u"set")) {
            return parseSet();
        }
        if (token.isWord(u"return")) {
            advance();
            ExprPtr value;
            if (!atLineEnd() && !current().isWord(u"else")) {
                value = parseExpression();
            }
            auto stmt = makeStmt(Stmt::Kind::Return, start);
            stmt->expr = std::move(value);
            return stmt;
        }
        if (token.isWord(u"error")) {
            advance();
            ExprPtr message;
            ExprPtr number;
            if (!atLineEnd() && !current().isWord(u"number")) {
                message = parseExpression();
            }
            if (current().isWord(u"number")) {
                advance();
                number = parseExpression();
            }
            auto stmt = makeStmt(Stmt::Kind::Error, start);
            stmt->expr = std::move(message);
            stmt->number = std::move(number);
            return stmt;
        }
        if (token.isWord(u"tell") || token.isWord(u"if") || token.isWord(u"repeat")) {
            fail(QStringLiteral("Expected end of line, etc. but found %1.").arg(describe(token)));
        }
        if (!startsExpression(token)) {
            fail(QStringLiteral("Expected expression but found %1.").arg(describe(token)));
        }
        ExprPtr expr = parseExpression();
        auto stmt = makeStmt(Stmt::Kind::Expression, start);
        stmt->expr = std::move(expr);
        return stmt;
    }

    StmtPtr parseTell() {
        const int start = current().start;
        advance(); // tell
        ExprPtr target;
        bool isApplication = false;
        if (current().isWord(u"application")) {
            target = parseApplication();
            isApplication = true;
        } else {
            target = parseExpression();
        }
        const bool savedTerms = termsActive_;
        if (isApplication) {
            termsActive_ = true;
        }
        auto stmt = std::make_unique<Stmt>();
        stmt->kind = Stmt::Kind::Tell;
        stmt->start = start;
        stmt->target = std::move(target);
        if (current().isWord(u"to")) {
            advance();
            stmt->body.push_back(parseSimpleStatement());
        } else {
            expectLineEnd();
            stmt->body = parseBlock(false);
            parseEnd(u"tell");
        }
        termsActive_ = savedTerms;
        stmt->end = previousEnd();
        return stmt;
    }

    StmtPtr parseSet() {
        const int start = current().start;
        advance(); // set
        const Token& targetToken = current();
        ExprPtr target = parseReference();
        if (target->kind != Expr::Kind::Variable && target->kind != Expr::Kind::Property &&
            target->kind != Expr::Kind::EndOf) {
            fail(QStringLiteral("Expected variable name or property but found %1.").arg(describe(targetToken)),
                 targetToken);
        }
        expect(u"to");
        ExprPtr value = parseExpression();
        auto stmt = makeStmt(Stmt::Kind::Set, start);
        stmt->target = std::move(target);
        stmt->expr = std::move(value);
        return stmt;
    }

    StmtPtr parseIf() {
        const int start = current().start;
        advance(); // if
        auto stmt = std::make_unique<Stmt>();
        stmt->kind = Stmt::Kind::If;
        stmt->start = start;
        stmt->conditions.push_back(parseExpression());
        expect(u"then");
        if (!atLineEnd()) {
            Block single;
            single.push_back(parseSimpleStatement());
            stmt->branches.push_back(std::move(single));
            stmt->end = previousEnd();
            return stmt;
        }
        expectLineEnd();
        while (true) {
            stmt->branches.push_back(parseBlock(true));
            if (current().isWord(u"else")) {
                advance();
                if (current().isWord(u"if")) {
                    advance();
                    stmt->conditions.push_back(parseExpression());
                    expect(u"then");
                    expectLineEnd();
                    continue;
                }
                expectLineEnd();
                stmt->elseBody = parseBlock(false);
                stmt->hasElse = true;
            }
            parseEnd(u"if");
            break;
        }
        stmt->end = previousEnd();
        return stmt;
    }

    StmtPtr parseRepeat() {
        const int start = current().start;
        advance(); // repeat
        expect(u"with");
        if (!isIdentifier(current())) {
            fail(QStringLiteral("Expected variable name but found %1.").arg(describe(current())));
        }
        const QString variable = advance().text.toLower();
        expect(u"in");
        ExprPtr list = parseExpression();
        expectLineEnd();
        auto stmt = std::make_unique<Stmt>();
        stmt->kind = Stmt::Kind::Repeat;
        stmt->start = start;
        stmt->variable = variable;
        stmt->expr = std::move(list);
        stmt->body = parseBlock(false);
        parseEnd(u"repeat");
        stmt->end = previousEnd();
        return stmt;
    }

    // ---- expressions ----

    bool startsExpression(const Token& token) const {
        if (&token == &current() && matchTerm(position_)) {
            return true;
        }
        switch (token.kind) {
        case Token::Kind::String:
        case Token::Kind::Integer:
        case Token::Kind::Real:
        case Token::Kind::QuotedWord:
            return true;
        case Token::Kind::Symbol:
            return token.text == u"(" || token.text == u"{" || token.text == u"-" || token.text == u"+";
        case Token::Kind::Word:
            return !reservedWords().contains(token.text) || expressionKeywords().contains(token.text);
        default:
            return false;
        }
    }

    ExprPtr parseExpression() {
        DepthGuard guard(*this);
        return parseOr();
    }

    ExprPtr binary(const QString& op, ExprPtr left, ExprPtr right) {
        auto expr = std::make_unique<Expr>();
        expr->kind = Expr::Kind::Binary;
        expr->name = op;
        expr->start = left->start;
        expr->end = right->end;
        expr->children.push_back(std::move(left));
        expr->children.push_back(std::move(right));
        return expr;
    }

    ExprPtr parseOr() {
        ExprPtr left = parseAnd();
        while (current().isWord(u"or")) {
            advance();
            left = binary(QStringLiteral("or"), std::move(left), parseAnd());
        }
        return left;
    }

    ExprPtr parseAnd() {
        ExprPtr left = parseNot();
        while (current().isWord(u"and")) {
            advance();
            left = binary(QStringLiteral("and"), std::move(left), parseNot());
        }
        return left;
    }

    ExprPtr parseNot() {
        if (current().isWord(u"not")) {
            DepthGuard guard(*this);
            const int start = advance().start;
            ExprPtr operand = parseNot();
            auto expr = std::make_unique<Expr>();
            expr->kind = Expr::Kind::Unary;
            expr->name = QStringLiteral("not");
            expr->start = start;
            expr->end = operand->end;
            expr->children.push_back(std::move(operand));
            return expr;
        }
        return parseComparison();
    }

    // The comparison operator at the current position, consumed; empty when there is none.
    QString comparisonOperator() {
        const Token& token = current();
        if (token.kind == Token::Kind::Symbol) {
            static const QSet<QString> symbols{QStringLiteral("="), QStringLiteral("≠"),  QStringLiteral("<"),
                                               QStringLiteral(">"), QStringLiteral("<="), QStringLiteral(">=")};
            if (symbols.contains(token.text)) {
                advance();
                return token.text;
            }
            return {};
        }
        if (token.isWord(u"equals")) {
            advance();
            return QStringLiteral("=");
        }
        if (token.isWord(u"contains")) {
            advance();
            return QStringLiteral("contains");
        }
        if (!token.isWord(u"is")) {
            return {};
        }
        advance();
        bool negated = false;
        if (current().isWord(u"not")) {
            advance();
            negated = true;
        }
        if (current().isWord(u"in")) {
            advance();
            return negated ? QStringLiteral("not in") : QStringLiteral("in");
        }
        if (current().isWord(u"equal") && peek().isWord(u"to")) {
            consumeWords(2);
        } else if (!negated && current().isWord(u"greater") && peek().isWord(u"than")) {
            consumeWords(2);
            return QStringLiteral(">");
        } else if (!negated && current().isWord(u"less") && peek().isWord(u"than")) {
            consumeWords(2);
            return QStringLiteral("<");
        }
        return negated ? QStringLiteral("≠") : QStringLiteral("=");
    }

    ExprPtr parseComparison() {
        ExprPtr left = parseConcatenation();
        const QString op = comparisonOperator();
        if (op.isEmpty()) {
            return left;
        }
        return binary(op, std::move(left), parseConcatenation());
    }

    ExprPtr parseConcatenation() {
        ExprPtr left = parseAdditive();
        while (current().isSymbol(u"&")) {
            advance();
            left = binary(QStringLiteral("&"), std::move(left), parseAdditive());
        }
        return left;
    }

    ExprPtr parseAdditive() {
        ExprPtr left = parseMultiplicative();
        while (current().isSymbol(u"+") || current().isSymbol(u"-")) {
            const QString op = advance().text;
            left = binary(op, std::move(left), parseMultiplicative());
        }
        return left;
    }

    ExprPtr parseMultiplicative() {
        ExprPtr left = parseUnary();
        while (current().isSymbol(u"*") || current().isSymbol(u"/") || current().isWord(u"div") ||
               current().isWord(u"mod")) {
            const QString op = advance().text;
            left = binary(op, std::move(left), parseUnary());
        }
        return left;
    }

    ExprPtr parseUnary() {
        if (current().isSymbol(u"-") || current().isSymbol(u"+")) {
            DepthGuard guard(*this);
            const Token& token = advance();
            ExprPtr operand = parseUnary();
            if (token.text == u"+") {
                return operand;
            }
            auto expr = std::make_unique<Expr>();
            expr->kind = Expr::Kind::Unary;
            expr->name = QStringLiteral("-");
            expr->start = token.start;
            expr->end = operand->end;
            expr->children.push_back(std::move(operand));
            return expr;
        }
        return parseReference();
    }

    ExprPtr unaryForm(Expr::Kind kind, int start, ExprPtr operand) {
        auto expr = std::make_unique<Expr>();
        expr->kind = kind;
        expr->start = start;
        expr->end = operand->end;
        expr->children.push_back(std::move(operand));
        return expr;
    }

    ExprPtr parseApplication() {
        const int start = advance().start; // application
        bool byId = false;
        if (current().isWord(u"id")) {
            advance();
            byId = true;
        }
        if (current().kind != Token::Kind::String) {
            fail(QStringLiteral("Expected string but found %1.").arg(describe(current())));
        }
        const Token& name = advance();
        auto literal = std::make_unique<Expr>();
        literal->kind = Expr::Kind::Literal;
        literal->value = Value(name.text);
        literal->start = name.start;
        literal->end = name.end;
        auto expr = makeExpr(Expr::Kind::Application, start);
        expr->byId = byId;
        expr->children.push_back(std::move(literal));
        return expr;
    }

    ExprPtr parseReference() {
        DepthGuard guard(*this);
        const Token& token = current();
        const int start = token.start;
        if (token.isWord(u"count")) {
            advance();
            if (current().isWord(u"of")) {
                advance();
            }
            return unaryForm(Expr::Kind::Count, start, parseReference());
        }
        if (token.isWord(u"exists")) {
            advance();
            return unaryForm(Expr::Kind::Exists, start, parseReference());
        }
        if (token.isWord(u"end") && peek().isWord(u"of")) {
            consumeWords(2);
            return unaryForm(Expr::Kind::EndOf, start, parseReference());
        }
        if (token.isWord(u"posix") && peek().isWord(u"path")) {
            consumeWords(2);
            expect(u"of");
            return unaryForm(Expr::Kind::PosixPath, start, parseReference());
        }
        if (token.isWord(u"posix") && peek().isWord(u"file")) {
            consumeWords(2);
            return unaryForm(Expr::Kind::PosixFile, start, parseReference());
        }
        if (token.isWord(u"application")) {
            return parseApplication();
        }
        if (token.isWord(u"missing") && peek().isWord(u"value")) {
            consumeWords(2);
            auto expr = makeExpr(Expr::Kind::Literal, start);
            return expr;
        }
        if (const Term* term = matchTerm(position_)) {
            switch (term->kind) {
            case TermKind::Command:
                return parseCommand(term->name, term->words.size());
            case TermKind::Property: {
                consumeWords(term->words.size());
                auto expr = makeExpr(Expr::Kind::Property, start);
                expr->name = term->name;
                expr->spelling = term->name;
                if (current().isWord(u"of")) {
                    advance();
                    expr->children.push_back(parseReference());
                    expr->end = expr->children.back()->end;
                }
                return expr;
            }
            case TermKind::Enumerator: {
                consumeWords(term->words.size());
                auto expr = makeExpr(Expr::Kind::Literal, start);
                expr->value = Value(Enumerator{term->name});
                return expr;
            }
            case TermKind::Class:
                fail(QStringLiteral("Expected expression but found class name."));
            }
        }
        if (token.isWord(u"activate")) {
            return parseCommand(QStringLiteral("activate"), 1);
        }
        if (isIdentifier(token)) {
            const QString name = token.kind == Token::Kind::Word ? token.text : token.text.toLower();
            const QString spelling = token.kind == Token::Kind::Word
                                         ? source_.mid(token.start, token.end - token.start)
                                         : token.text;
            advance();
            if (current().isSymbol(u"(") && peek().isSymbol(u")")) {
                advance();
                advance();
                auto expr = makeExpr(Expr::Kind::HandlerCall, start);
                expr->name = name;
                expr->spelling = spelling;
                return expr;
            }
            if (current().isWord(u"of")) {
                advance();
                auto expr = makeExpr(Expr::Kind::Property, start);
                expr->name = name;
                expr->spelling = spelling;
                expr->children.push_back(parseReference());
                expr->end = expr->children.back()->end;
                return expr;
            }
            auto expr = makeExpr(Expr::Kind::Variable, start);
            expr->name = name;
            expr->spelling = spelling;
            return expr;
        }
        return parsePrimary();
    }

    ExprPtr parsePrimary() {
        const Token& token = current();
        const int start = token.start;
        switch (token.kind) {
        case Token::Kind::String: {
            advance();
            auto expr = makeExpr(Expr::Kind::Literal, start);
            expr->value = Value(token.text);
            return expr;
        }
        case Token::Kind::Integer: {
            advance();
            auto expr = makeExpr(Expr::Kind::Literal, start);
            expr->value = Value(token.integer);
            return expr;
        }
        case Token::Kind::Real: {
            advance();
            auto expr = makeExpr(Expr::Kind::Literal, start);
            expr->value = Value(token.real);
            return expr;
        }
        case Token::Kind::Word:
            if (token.text == u"true" || token.text == u"false") {
                advance();
                auto expr = makeExpr(Expr::Kind::Literal, start);
                expr->value = Value(token.text == u"true");
                return expr;
            }
            break;
        case Token::Kind::Symbol:
            if (token.text == u"(") {
                advance();
                ExprPtr inner = parseExpression();
                expectSymbol(u")");
                inner->start = start;
                inner->end = previousEnd();
                return inner;
            }
            if (token.text == u"{") {
                return parseBraces();
            }
            break;
        default:
            break;
        }
        fail(QStringLiteral("Expected expression but found %1.").arg(describe(token)));
    }

    // The length in tokens of a record label at the current position, or 0 when there is none.
    size_t recordLabelLength() const {
        if (const Term* term = matchTerm(position_)) {
            if (peek(size_t(term->words.size())).isSymbol(u":")) {
                return size_t(term->words.size());
            }
        }
        if ((current().kind == Token::Kind::Word || current().kind == Token::Kind::QuotedWord) &&
            peek().isSymbol(u":")) {
            return 1;
        }
        return 0;
    }

    ExprPtr parseBraces() {
        const int start = advance().start; // {
        if (current().isSymbol(u"}")) {
            advance();
            return makeExpr(Expr::Kind::ListLiteral, start);
        }
        const bool isRecord = recordLabelLength() > 0;
        auto expr = std::make_unique<Expr>();
        expr->kind = isRecord ? Expr::Kind::RecordLiteral : Expr::Kind::ListLiteral;
        expr->start = start;
        while (true) {
            if (isRecord) {
                const size_t length = recordLabelLength();
                if (length == 0) {
                    fail(QStringLiteral("Expected label but found %1.").arg(describe(current())));
                }
                QStringList words;
                for (size_t i = 0; i < length; ++i) {
                    words << advance().text;
                }
                const QString label = words.join(QLatin1Char(' '));
                if (std::find(expr->labels.begin(), expr->labels.end(), label) != expr->labels.end()) {
                    fail(QStringLiteral("This property can only be used once."));
                }
                expr->labels.push_back(label);
                expectSymbol(u":");
            }
            expr->children.push_back(parseExpression());
            if (current().isSymbol(u",")) {
                advance();
                continue;
            }
            expectSymbol(u"}");
            break;
        }
        expr->end = previousEnd();
        return expr;
    }

    ExprPtr parseCommand(const QString& name, qsizetype words) {
        const int start = current().start;
        consumeWords(words);
        const terminology::CommandSpec* spec = nullptr;
        for (const auto& command : terminology::commands()) {
            if (command.name == name) {
                spec = &command;
            }
        }
        auto expr = std::make_unique<Expr>();
        expr->kind = Expr::Kind::Command;
        expr->name = name;
        expr->start = start;

        auto labelAt = [&]() -> const terminology::ParameterSpec* {
            for (const auto& parameter : spec->parameters) {
                if (matchWords(parameter.label.split(QLatin1Char(' ')))) {
                    return &parameter;
                }
            }
            return nullptr;
        };

        if (name == u"make") {
            expect(u"new");
            const Term* term = matchTerm(position_);
            if (!isIdentifier(current()) && !(term && term->kind == TermKind::Class)) {
                fail(QStringLiteral("Expected class name but found %1.").arg(describe(current())));
            }
            const Token& cls = advance();
            auto literal = std::make_unique<Expr>();
            literal->kind = Expr::Kind::Literal;
            literal->value = Value(Enumerator{cls.text});
            literal->start = cls.start;
            literal->end = cls.end;
            expr->labels.push_back(QStringLiteral("new"));
            expr->children.push_back(std::move(literal));
        } else if (!spec->directType.isEmpty() && startsExpression(current()) && !labelAt()) {
            expr->children.push_back(parseConcatenation());
            expr->hasDirect = true;
        }
        while (const auto* parameter = labelAt()) {
            if (std::find(expr->labels.begin(), expr->labels.end(), parameter->label) != expr->labels.end()) {
                fail(QStringLiteral("This parameter can only be used once."));
            }
            consumeWords(parameter->label.count(QLatin1Char(' ')) + 1);
            expr->labels.push_back(parameter->label);
            expr->children.push_back(parseConcatenation());
        }
        expr->end = previousEnd();
        return expr;
    }

    const QString& source_;
    std::vector<Token> tokens_;
    size_t position_ = 0;
    bool termsActive_ = false;
    int depth_ = 0;
};

} // namespace

std::variant<Script, ScriptError> parseScript(const QString& source) {
    auto tokens = tokenize(source);
    if (auto* error = std::get_if<ScriptError>(&tokens)) {
        return *error;
    }
    try {
        Parser parser(source, std::move(std::get<std::vector<Token>>(tokens)));
        return parser.parse();
    } catch (const ScriptError& error) {
        return error;
    }
}

} // namespace orbix::c1sim
