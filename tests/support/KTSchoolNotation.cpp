#include "support/KTSchoolNotation.h"

#include "support/KTTreeReader.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <limits>
#include <vector>

namespace kttest {

namespace {

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();

enum class Op { Number, X, Pi, E, Sci, Add, Sub, Mul, Div, Neg, Pow, Function, Abs, Sqrt, Root };

/// An expression as it is meant.
struct Node
{
    Op op = Op::X;
    std::string text; ///< a number's digits, a function's name
    int power = 1;    ///< the power typed on a trigonometric function ("sin^2 x")
    int index = 2;    ///< a root's index
    int base = 0;     ///< a logarithm's typed base, 0 for none
    std::vector<Node> args;
};

Node Atom(Op op, std::string text = {})
{
    Node n;
    n.op = op;
    n.text = std::move(text);
    return n;
}

Node Make(Op op, std::vector<Node> args, std::string text = {})
{
    Node n = Atom(op, std::move(text));
    n.args = std::move(args);
    return n;
}

Node Num(const char* text)
{
    return Atom(Op::Number, text);
}

bool IsTrig(const std::string& name)
{
    return name == "sin" || name == "cos" || name == "tan" || name == "sec" || name == "cosec" ||
           name == "cot";
}

// ---- Meaning and value --------------------------------------------------------------------

std::string Meaning(const Node& n)
{
    const auto arg = [&n](std::size_t i) { return Meaning(n.args[i]); };
    switch (n.op) {
    case Op::Number:
    case Op::Sci: return "N('" + n.text + "')";
    case Op::X: return "X";
    case Op::Pi: return "PI";
    case Op::E: return "E";
    case Op::Add: return "(" + arg(0) + "+" + arg(1) + ")";
    case Op::Sub: return "(" + arg(0) + "-" + arg(1) + ")";
    case Op::Mul: return "(" + arg(0) + "*" + arg(1) + ")";
    case Op::Div: return "(" + arg(0) + "/" + arg(1) + ")";
    case Op::Neg: return "(-" + arg(0) + ")";
    case Op::Pow: return "pw(" + arg(0) + "," + arg(1) + ")";
    case Op::Function: {
        if (n.base != 0)
            return "(log(" + arg(0) + ")/log(N('" + std::to_string(n.base) + "')))";
        const std::string value = n.text + "(" + arg(0) + ")";
        return n.power == 1 ? value : "pw(" + value + ",N('" + std::to_string(n.power) + "'))";
    }
    case Op::Abs: return "abs_(" + arg(0) + ")";
    case Op::Sqrt: return "sqrt_(" + arg(0) + ")";
    case Op::Root: return "pw(" + arg(0) + ",(N('1')/N('" + std::to_string(n.index) + "')))";
    }
    return "?";
}

/// Evaluates with the program's constants. Fragile is set where a value lies near the edge of
/// a domain, a pole or a cancellation: a point there would test rounding, not reading.
class Evaluator
{
public:
    Evaluator(double x, double factor) : m_x(x), m_factor(factor) {}
    double Value(const Node& n);
    bool m_fragile = false;

private:
    double Check(double v)
    {
        if (std::isfinite(v) && std::fabs(v) > 1e8)
            m_fragile = true;
        return std::isfinite(v) ? v : kNaN;
    }
    double Power(double a, double p);
    double Function(const std::string& name, double v);

    double m_x;
    double m_factor;
};

double Evaluator::Power(double a, double p)
{
    if (a < 0.0 && p != std::floor(p)) {
        for (int j = 3; j <= 31; j += 2) {
            const double off = std::fabs(p * j - std::round(p * j));
            if (off > 1e-12 && off < 1e-6)
                m_fragile = true;
        }
    }
    if (std::fabs(a) < 1e-6 && p <= 0.0)
        m_fragile = true;
    return RealPower(a, p);
}

double Evaluator::Function(const std::string& name, double v)
{
    const double a = v / m_factor;
    const auto awayFrom = [this](double d, double margin) {
        if (std::fabs(d) < margin)
            m_fragile = true;
    };
    if (name == "sin")
        return std::sin(a);
    if (name == "cos")
        return std::cos(a);
    if (name == "tan" || name == "sec") {
        awayFrom(std::cos(a), 1e-3);
        return name == "tan" ? std::tan(a) : 1.0 / std::cos(a);
    }
    if (name == "cot" || name == "cosec") {
        awayFrom(std::sin(a), 1e-3);
        return name == "cot" ? std::cos(a) / std::sin(a) : 1.0 / std::sin(a);
    }
    if (name == "asin" || name == "acos") {
        awayFrom(1.0 - std::fabs(v), 1e-6);
        if (std::fabs(v) > 1.0)
            return kNaN;
        return (name == "asin" ? std::asin(v) : std::acos(v)) * m_factor;
    }
    if (name == "atan")
        return std::atan(v) * m_factor;
    if (name == "sinh" || name == "cosh" || name == "tanh") {
        if (std::fabs(v) > 100.0)
            return kNaN;
        return name == "sinh" ? std::sinh(v) : name == "cosh" ? std::cosh(v) : std::tanh(v);
    }
    if (name == "ln" || name == "log") {
        awayFrom(v, 1e-6);
        if (v <= 0.0)
            return kNaN;
        return name == "ln" ? std::log(v) : std::log10(v);
    }
    if (name == "exp")
        return v < 300.0 ? std::exp(v) : kNaN;
    if (name == "abs")
        return std::fabs(v);
    if (name == "gint") {
        awayFrom(v - std::round(v), 1e-6);
        return std::floor(v);
    }
    return kNaN;
}

double Evaluator::Value(const Node& n)
{
    const auto arg = [&](std::size_t i) { return Value(n.args[i]); };
    switch (n.op) {
    case Op::Number:
    case Op::Sci: return std::strtod(n.text.c_str(), nullptr);
    case Op::X: return m_x;
    case Op::Pi: return kProgramPi;
    case Op::E: return kProgramE;
    case Op::Add:
    case Op::Sub: {
        const double a = arg(0);
        const double b = n.op == Op::Add ? arg(1) : -arg(1);
        if (std::fabs(a + b) < 1e-4 * std::max(std::fabs(a), std::fabs(b)))
            m_fragile = true;
        return Check(a + b);
    }
    case Op::Mul: return Check(arg(0) * arg(1));
    case Op::Div: {
        const double a = arg(0);
        const double b = arg(1);
        if (std::fabs(b) < 1e-6)
            m_fragile = true;
        return b != 0.0 ? Check(a / b) : kNaN;
    }
    case Op::Neg: return -arg(0);
    case Op::Pow: {
        const double a = arg(0);
        return Check(Power(a, arg(1)));
    }
    case Op::Function: {
        double v = Function(n.text, arg(0));
        if (n.base != 0)
            v /= std::log10(n.base);
        return Check(n.power == 1 ? v : RealPower(v, n.power));
    }
    case Op::Abs: return std::fabs(arg(0));
    case Op::Sqrt: {
        const double v = arg(0);
        if (v < 0.0)
            return kNaN;
        if (v < 1e-9)
            m_fragile = true;
        return std::sqrt(v);
    }
    case Op::Root: return Check(Power(arg(0), 1.0 / n.index));
    }
    return kNaN;
}

// ---- Typing -------------------------------------------------------------------------------

enum Level { kSum, kProduct, kUnary, kPower, kAtom };

/// A piece of typed text and what its neighbours must know of it.
struct Piece
{
    std::string text;
    Level level = kAtom;
    char first = 'l';      ///< 'd' digit or point, 'l' letter, '(' bracket, '|' bar, '-' minus
    char last = 'l';       ///< 'd', 'l', ')' or '|'
    bool open = false;     ///< ends in a run that takes what is written right after it
    bool tight = false;    ///< a run of numbers, letters and powers without spaces
    bool group = false;    ///< one bracket group when operands are taken (bars, functions, roots)
    bool negTight = false; ///< a minus before a tight run
    bool negGroup = false; ///< a minus before a typed bracket or a bar group
    bool barsOnly = false; ///< a pair of bars
    bool typed = false;    ///< a typed bracket group
    bool startsX = false;
    bool endsX = false;
    bool hasBars = false;
    bool needsOperator = false; ///< a root with an index: an operator must stand before it
};

class Typist
{
public:
    explicit Typist(std::mt19937& random) : m_random(random) {}
    Piece Type(const Node& n);

private:
    unsigned Pick(unsigned n) { return static_cast<unsigned>(m_random() % n); }
    bool Chance(unsigned percent) { return Pick(100) < percent; }
    std::string Spaced(const char* op, unsigned percent)
    {
        if (!Chance(percent))
            return op;
        const unsigned where = Pick(3);
        return std::string(where != 1 ? " " : "") + op + (where != 0 ? " " : "");
    }
    Piece Bracket(const Piece& inner)
    {
        Piece p;
        p.text = "(" + inner.text + ")";
        p.first = '(';
        p.last = ')';
        p.group = p.typed = true;
        p.hasBars = inner.hasBars;
        return p;
    }
    Piece AtLeast(const Piece& p, Level level) { return p.level >= level ? p : Bracket(p); }
    Piece Sum(const Node& n);
    Piece Product(const Node& n);
    Piece Fraction(const Node& n);
    Piece Negation(const Node& n);
    Piece PowerOf(const Node& n);
    Piece Application(const Node& n);
    Piece Bars(const Node& n);
    Piece Radical(const Node& n);
    static bool SideBySide(const Piece& a, const Piece& b);

    std::mt19937& m_random;
};

Piece Typist::Type(const Node& n)
{
    Piece p;
    switch (n.op) {
    case Op::Number:
        p.text = n.text;
        p.first = p.last = 'd';
        p.tight = true;
        break;
    case Op::X:
    case Op::Pi:
    case Op::E:
        p.text = n.op == Op::X ? "x" : n.op == Op::Pi ? "pi" : "e";
        p.tight = true;
        p.startsX = p.endsX = n.op == Op::X;
        break;
    case Op::Sci:
        p.text = n.text;
        p.first = p.last = 'd';
        p.group = true; // the number is one operand
        break;
    case Op::Add:
    case Op::Sub: p = Sum(n); break;
    case Op::Mul: p = Product(n); break;
    case Op::Div: p = Fraction(n); break;
    case Op::Neg: p = Negation(n); break;
    case Op::Pow: p = PowerOf(n); break;
    case Op::Function: p = Application(n); break;
    case Op::Abs: p = Bars(n); break;
    case Op::Sqrt:
    case Op::Root: p = Radical(n); break;
    }
    // Brackets around anything change nothing.
    if (Chance(6) && !p.typed)
        return Bracket(p);
    return p;
}

Piece Typist::Sum(const Node& n)
{
    const Piece a = Type(n.args[0]);
    Piece b = AtLeast(Type(n.args[1]), kProduct);
    if (b.first == '-')
        b = Bracket(b);
    Piece p;
    p.text = a.text + Spaced(n.op == Op::Add ? "+" : "-", 50) + b.text;
    p.level = kSum;
    p.first = a.first;
    p.last = b.last;
    p.open = b.open;
    p.startsX = a.startsX;
    p.endsX = b.endsX;
    p.hasBars = a.hasBars || b.hasBars;
    return p;
}

// Whether two pieces may stand side by side with nothing between them and still read as a
// product of the two: no digits that join, no "x2" power, no run or bar pair that takes the
// other in.
bool Typist::SideBySide(const Piece& a, const Piece& b)
{
    if (a.open || b.first == '-' || b.needsOperator)
        return false;
    if (b.first == 'd' && (a.last == 'd' || a.last == 'l' || a.last == ')' || a.last == '|'))
        return false;
    if (a.last == '|' && b.first == '|')
        return false;
    return !(a.endsX && b.startsX); // "xx" is a shorthand of its own
}

Piece Typist::Product(const Node& n)
{
    const Piece a = AtLeast(Type(n.args[0]), kProduct);
    const Piece b = AtLeast(Type(n.args[1]), kProduct);
    std::string joiner = Spaced("*", 30);
    const unsigned choice = Pick(10);
    if (choice < 5 && SideBySide(a, b))
        joiner = "";
    else if (choice < 8 && b.first != '-' && !b.needsOperator)
        joiner = " ";
    Piece p;
    p.text = a.text + joiner + b.text;
    p.level = kProduct;
    p.first = a.first;
    p.last = b.last;
    p.open = b.open;
    p.tight = joiner.empty() && a.tight && b.tight;
    p.startsX = a.startsX;
    p.endsX = b.endsX;
    p.hasBars = a.hasBars || b.hasBars;
    p.needsOperator = a.needsOperator;
    return p;
}

Piece Typist::Fraction(const Node& n)
{
    const Piece a = AtLeast(Type(n.args[0]), kProduct);
    Piece b = Type(n.args[1]);
    const bool bare = b.tight || b.group || b.negTight;
    if (!bare)
        b = Bracket(b);
    Piece p;
    p.text = a.text + Spaced("/", 30) + b.text;
    p.level = kProduct;
    p.first = a.first;
    p.last = b.last;
    p.open = bare;
    p.startsX = a.startsX;
    p.endsX = b.endsX;
    p.hasBars = a.hasBars || b.hasBars;
    p.needsOperator = a.needsOperator;
    return p;
}

Piece Typist::Negation(const Node& n)
{
    Piece inner = Type(n.args[0]);
    if (inner.level < kProduct || inner.first == '-')
        inner = Bracket(inner);
    Piece p;
    p.text = "-" + inner.text;
    p.level = kUnary;
    p.first = '-';
    p.last = inner.last;
    p.open = inner.open;
    p.negTight = inner.tight;
    p.negGroup = inner.typed || inner.barsOnly;
    p.endsX = inner.endsX;
    p.hasBars = inner.hasBars;
    return p;
}

Piece Typist::PowerOf(const Node& n)
{
    const Node& baseNode = n.args[0];
    const Node& exponentNode = n.args[1];
    Piece base = Type(baseNode);
    if (base.level < kAtom || base.first == '-' || baseNode.op == Op::Sci || baseNode.op == Op::Root)
        base = Bracket(base);
    // "x2" is x squared, as a shorthand the program keeps.
    const bool letter = baseNode.op == Op::X || baseNode.op == Op::Pi || baseNode.op == Op::E;
    const bool digit = exponentNode.op == Op::Number && exponentNode.text.size() == 1;
    Piece p;
    if (letter && !base.typed && digit && Chance(25)) {
        p.text = base.text + exponentNode.text;
        p.tight = true;
        p.first = 'l';
        p.last = 'd';
        p.level = kPower;
        p.startsX = base.startsX;
        return p;
    }
    Piece exponent = Type(exponentNode);
    const bool bare =
        (exponent.tight || exponent.barsOnly || exponent.typed || exponent.negTight || exponent.negGroup) &&
        Chance(70);
    if (!bare && !exponent.typed)
        exponent = Bracket(exponent);
    p.text = base.text + Spaced("^", 15) + exponent.text;
    p.level = kPower;
    p.first = base.first;
    p.last = exponent.last;
    p.open = !exponent.typed && !exponent.barsOnly;
    p.tight = base.tight;
    p.group = base.group;
    p.startsX = base.startsX;
    p.endsX = p.open && exponent.endsX;
    p.hasBars = base.hasBars || exponent.hasBars;
    return p;
}

Piece Typist::Application(const Node& n)
{
    Piece argument = Type(n.args[0]);
    std::string name = n.text;
    if (n.text == "asin" && n.power == 1 && Chance(40))
        name = "sin-1";
    std::string power;
    if (n.base != 0) {
        power = std::to_string(n.base); // typed as "log2 x" or "log10(x)"
    } else if (n.power != 1) {
        const unsigned form = Pick(3);
        power = form == 0 ? std::to_string(n.power) : "^" + std::to_string(n.power);
        if (form == 2)
            power += " ";
    }
    Piece p;
    p.first = 'l';
    p.hasBars = argument.hasBars;
    const bool bare = argument.tight && name != "sin-1" && Chance(40);
    if (bare) {
        // "sin x", "sin2x", "ln x^2": the run after the name is the argument.
        // "sin^2x" would put 2x in the exponent: only a digit power ("sin2x") joins.
        const bool joined = argument.first == 'l' && (power.empty() || power[0] != '^') && Chance(50);
        p.text = name + power + (joined ? "" : " ") + argument.text;
        p.level = kProduct;
        p.last = argument.last;
        p.open = true;
        p.endsX = argument.endsX;
    } else {
        p.text = name + power + (argument.typed ? argument.text : "(" + argument.text + ")");
        p.last = ')';
    }
    p.group = true;
    return p;
}

Piece Typist::Bars(const Node& n)
{
    const Piece inner = Type(n.args[0]);
    Piece p;
    p.hasBars = true;
    if (inner.hasBars || Chance(20)) {
        p.text = "abs(" + inner.text + ")";
        p.last = ')';
    } else {
        p.text = "|" + inner.text + "|";
        p.first = p.last = '|';
        p.barsOnly = true;
    }
    p.group = true;
    return p;
}

Piece Typist::Radical(const Node& n)
{
    const Piece inner = Type(n.args[0]);
    Piece p;
    p.hasBars = inner.hasBars;
    p.group = true;
    p.last = ')';
    if (n.op == Op::Root) {
        p.text = (n.index == 2 ? "" : std::to_string(n.index)) + "root(" + inner.text + ")";
        p.first = n.index == 2 ? 'l' : 'd';
        p.needsOperator = true; // a number or a letter before "root" is its index
        return p;
    }
    const unsigned form = Pick(4);
    if (form == 0 && inner.barsOnly) {
        p.text = "sqrt" + inner.text;
        p.last = '|';
    } else if (form == 1 && inner.tight) {
        p.text = "sqrt " + inner.text;
        p.level = kProduct;
        p.last = inner.last;
        p.open = true;
        p.endsX = inner.endsX;
    } else {
        p.text = (form == 2 ? "sr(" : "sqrt(") + inner.text + ")";
    }
    return p;
}

// ---- The grammar --------------------------------------------------------------------------

class Grammar
{
public:
    explicit Grammar(std::mt19937& random) : m_random(random) {}
    Node Expression(int depth);
    Node Pattern();

private:
    unsigned Pick(unsigned n) { return static_cast<unsigned>(m_random() % n); }
    Node Leaf();
    Node SmallNumber();
    Node Exponent();
    Node Polynomial();

    std::mt19937& m_random;
};

Node Grammar::SmallNumber()
{
    static const char* const numbers[] = {"2",  "3",   "4",   "5",   "6",  "2", "3",
                                          "10", "0.5", "1.5", "2.5", "12", "9", "7"};
    return Num(numbers[Pick(std::size(numbers))]);
}

Node Grammar::Leaf()
{
    const unsigned r = Pick(100);
    if (r < 45)
        return Atom(Op::X);
    if (r < 80)
        return SmallNumber();
    if (r < 88)
        return Atom(Op::Pi);
    if (r < 94)
        return Atom(Op::E);
    static const char* const sci[] = {"1E2", "2.5E-3", "1E3", "3E-2", "1.5E1", "2E-1"};
    return Atom(Op::Sci, sci[Pick(std::size(sci))]);
}

Node Grammar::Exponent()
{
    switch (Pick(9)) {
    case 0:
    case 1:
    case 2: return Num(Pick(2) ? "2" : "3");
    case 3: return Atom(Op::X);
    case 4: return Make(Op::Neg, {Pick(2) ? Atom(Op::X) : Num("2")});
    case 5: return Make(Op::Div, {Num("1"), Num(Pick(2) ? "3" : "2")});
    case 6: return Make(Op::Div, {Num(Pick(2) ? "2" : "7"), Num("3")});
    case 7: return Make(Op::Mul, {Num("2"), Atom(Op::X)});
    default: return Make(Op::Abs, {Atom(Op::X)});
    }
}

Node Grammar::Polynomial()
{
    // a x^n + b x^(n-1) + ... with small whole coefficients
    const int degree = 1 + static_cast<int>(Pick(3));
    Node sum;
    for (int k = degree; k >= 0; --k) {
        if (k < degree && Pick(3) == 0)
            continue;
        Node term;
        const Node power = k == 0   ? Num("1")
                           : k == 1 ? Atom(Op::X)
                                    : Make(Op::Pow, {Atom(Op::X), Num(k == 2 ? "2" : "3")});
        if (k == 0)
            term = SmallNumber();
        else
            term = Pick(3) == 0 ? power : Make(Op::Mul, {SmallNumber(), power});
        if (k == degree)
            sum = Pick(4) == 0 ? Make(Op::Neg, {term}) : term;
        else
            sum = Make(Pick(2) ? Op::Add : Op::Sub, {sum, term});
    }
    return sum;
}

Node Grammar::Expression(int depth)
{
    if (depth <= 0)
        return Leaf();
    static const char* const functions[] = {"sin",  "cos",  "tan",  "ln",   "log",   "exp",
                                            "sqrt", "abs",  "atan", "asin", "acos",  "sinh",
                                            "cosh", "tanh", "sec",  "cot",  "cosec", "gint"};
    const auto sub = [this, depth] { return Expression(depth - 1 - static_cast<int>(Pick(2))); };
    switch (Pick(20)) {
    case 0:
    case 1: return Make(Op::Add, {sub(), sub()});
    case 2:
    case 3: return Make(Op::Sub, {sub(), sub()});
    case 4:
    case 5:
    case 6: return Make(Op::Mul, {sub(), sub()});
    case 7:
    case 8:
    case 9: return Make(Op::Div, {sub(), sub()});
    case 10: return Make(Op::Neg, {sub()});
    case 11:
    case 12: return Make(Op::Pow, {Pick(3) ? Leaf() : sub(), Exponent()});
    case 13:
    case 14: {
        std::string name = functions[Pick(std::size(functions))];
        if (name == "sqrt")
            return Make(Op::Sqrt, {sub()});
        Node f = Make(Op::Function, {sub()}, name);
        if (name == "log" && Pick(3) == 0)
            f.base = Pick(2) ? 10 : 2 + static_cast<int>(Pick(2));
        else if (Pick(IsTrig(name) ? 4 : 12) == 0 && name != "log")
            f.power = 2 + static_cast<int>(Pick(2));
        return f;
    }
    case 15: return Make(Op::Abs, {sub()});
    case 16: {
        Node root = Make(Op::Root, {sub()});
        root.index = Pick(3) == 0 ? 2 : Pick(2) ? 3 : 5;
        return root;
    }
    case 17: return Polynomial();
    default: return Pattern();
    }
}

// The shapes that went wrong once, each with room to vary.
Node Grammar::Pattern()
{
    const Node x = Atom(Op::X);
    const auto power = [&](Node base) { return Make(Op::Pow, {std::move(base), Num(Pick(2) ? "2" : "3")}); };
    switch (Pick(10)) {
    case 0: // (6/x^2)/3
        return Make(Op::Div, {Make(Op::Div, {SmallNumber(), power(x)}), SmallNumber()});
    case 1: // (x/3^2)/2
        return Make(Op::Div, {Make(Op::Div, {x, power(SmallNumber())}), SmallNumber()});
    case 2: { // sin(x/2^2)/3
        static const char* const names[] = {"sin", "cos", "ln", "asin", "abs"};
        const std::string name = names[Pick(5)];
        Node inner = Make(Op::Div, {x, power(Num(name == "asin" ? "4" : "2"))});
        if (name == "asin")
            inner = Make(Op::Div, {inner, Num("3")});
        return Make(Op::Div, {Make(Op::Function, {inner}, name), SmallNumber()});
    }
    case 3: // x/1E2, x^2/1E6-1E6
        return Make(Op::Div, {Pick(2) ? x : power(x), Leaf()});
    case 4: // 2^|x|, x^|x|, e^-|x|
        return Make(Op::Pow, {Pick(3) == 0 ? x
                              : Pick(2)    ? Num("2")
                                           : Atom(Op::E),
                              Pick(2) ? Make(Op::Abs, {x}) : Make(Op::Neg, {Make(Op::Abs, {x})})});
    case 5: // sqrt|x|
        return Make(Op::Sqrt, {Make(Op::Abs, {Pick(2) ? x : Make(Op::Sub, {x, SmallNumber()})})});
    case 6: // pi x/2, cos(2pi x/4)
        return Make(Op::Mul, {Pick(2) ? Atom(Op::Pi) : x, Make(Op::Div, {x, SmallNumber()})});
    case 7: // 2^2^(x), x^2^-x
        return Make(Op::Pow,
                    {Pick(2) ? Num("2") : x, Make(Op::Pow, {Num("2"), Pick(2) ? x : Make(Op::Neg, {x})})});
    case 8: { // x/1E2 with the scientific number sure
        static const char* const sci[] = {"1E2", "2.5E-3", "1E3", "1E6", "4E-2"};
        return Make(Op::Div, {Pick(2) ? x : power(x), Atom(Op::Sci, sci[Pick(5)])});
    }
    default: // odd roots: x^(7/3), x^(11/3)
        return Make(Op::Pow, {x, Make(Op::Div, {Num(Pick(2) ? "7" : "11"), Num("3")})});
    }
}

bool UsesX(const Node& n)
{
    if (n.op == Op::X)
        return true;
    for (const Node& arg : n.args)
        if (UsesX(arg))
            return true;
    return false;
}

std::string PointText(std::mt19937& random, bool wide)
{
    char buffer[32];
    if (wide) {
        std::snprintf(buffer, sizeof buffer, "-%u", 100 + static_cast<unsigned>(random() % 9900));
        return buffer;
    }
    // Twentieths within -10..10, zero left out.
    int k = static_cast<int>(random() % 399) - 199;
    if (k == 0)
        k = 7;
    std::snprintf(buffer, sizeof buffer, "%s%d.%02d", k < 0 ? "-" : "", std::abs(k) / 20,
                  std::abs(k) % 20 * 5);
    return buffer;
}

} // namespace

double AngleFactorOf(int angleSystem)
{
    return angleSystem == 0 ? 57.29577951 : angleSystem == 2 ? 63.66197724 : 1.0;
}

SchoolText SchoolNotation::Next()
{
    Grammar grammar(m_random);
    for (;;) {
        const bool pattern = m_random() % 4 == 0;
        const Node meaning =
            pattern ? grammar.Pattern() : grammar.Expression(1 + static_cast<int>(m_random() % 3));
        Typist typist(m_random);
        const Piece typed = typist.Type(meaning);
        // Mostly functions of x: a constant reads the same at every point.
        if (typed.text.size() > 60 || (!UsesX(meaning) && m_random() % 10 < 8))
            continue;
        SchoolText text;
        const unsigned unit = m_random() % 10;
        text.angleSystem = unit < 6 ? 1 : unit < 9 ? 0 : 2;
        const char* equals[] = {"y=", "y = ", "y= ", "y ="};
        text.typed = equals[m_random() % 4] + typed.text;
        text.meaning = Meaning(meaning);
        // A point inside every domain, tried a few times.
        const bool wide = meaning.op == Op::Pow && meaning.args[1].op == Op::Div && m_random() % 2 == 0;
        for (int attempt = 0; attempt < 8; ++attempt) {
            text.x = PointText(m_random, wide);
            Evaluator evaluator(std::strtod(text.x.c_str(), nullptr), AngleFactorOf(text.angleSystem));
            text.value = evaluator.Value(meaning);
            if (std::isfinite(text.value) && !evaluator.m_fragile)
                return text;
        }
    }
}

} // namespace kttest
