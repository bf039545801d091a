// The exported boundary: no exception crosses it, and card-handle functions
// share one shape.
#pragma once

#include "api/card_table.h"

// Runs body and returns its result; an exception becomes the failure result.
template <class Body> auto guarded(Body&& body) noexcept -> decltype(body())
{
    try {
        return body();
    } catch (...) {
        return {};
    }
}

// Looks the handle up and runs the card operation on the card it names; 0
// when it names no open card.
template <class Operation> int withCard(int handle, Operation&& operation) noexcept
{
    return guarded([&]() -> int {
        DigitCard* card = cardFromHandle(handle);
        return card ? operation(*card) : 0;
    });
}
