#pragma once

#include <QByteArray>
#include <QList>

#include <cstdint>

// The values of an object stream as the reader meets them. A value only points into the
// stream's bytes: what a file carries is never copied before it is known to be wanted, so
// a file of millions of unknown records takes no memory beyond its own bytes.

// The value tags of the stream.
enum class StreamTag : std::uint8_t
{
    Null = 0,
    List = 1,
    Int8 = 2,
    Int16 = 3,
    Int32 = 4,
    Extended = 5,
    String = 6,
    Ident = 7,
    False = 8,
    True = 9,
    Binary = 10,
    Set = 11,
    LString = 12,
    Nil = 13,
    Collection = 14,
    Single = 15,
    Currency = 16,
    Date = 17,
    WString = 18,
    Int64 = 19,
    Utf8String = 20,
    Double = 21,
};

struct StreamValue
{
    StreamTag tag = StreamTag::Null;
    std::int64_t integer = 0; // Int8, Int16, Int32, Int64
    double real = 0.0;        // Extended, Single, Currency, Date, Double
    // String and LString (code page 932), Ident, Binary, WString (UTF-16LE), Utf8String.
    QByteArrayView bytes;
    // Set: the members as short strings, without the 0 byte that ends them.
    QByteArrayView members;
    // List and Collection are kept only as their tag: nothing of ours reads them.

    bool isInteger() const
    {
        return tag == StreamTag::Int8 || tag == StreamTag::Int16 || tag == StreamTag::Int32 ||
               tag == StreamTag::Int64;
    }
    bool isString() const
    {
        return tag == StreamTag::String || tag == StreamTag::LString || tag == StreamTag::WString ||
               tag == StreamTag::Utf8String;
    }
    bool isReal() const
    {
        return tag == StreamTag::Extended || tag == StreamTag::Single ||
               tag == StreamTag::Currency || tag == StreamTag::Date || tag == StreamTag::Double;
    }
    // Calls f(member) for each member of a Set, in the stream's order; stops when f gives false.
    template <typename F> bool eachMember(F f) const
    {
        for (qsizetype i = 0; i < members.size();) {
            const qsizetype n = std::uint8_t(members[i]);
            if (!f(members.sliced(i + 1, n)))
                return false;
            i += 1 + n;
        }
        return true;
    }
};
