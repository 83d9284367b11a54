#pragma once

// Source text passed over unread: a function that may not be defined where
// it stands, and text read again later, must not be compiled now.
namespace tsw {

// From the cursor up to and with the `close` that ends the text at depth 0,
// across lines; brackets of every kind nest, and string and character
// constants hide what they hold. The text is program text all the same:
// its brackets go to the bracket checker. False when the input ended first.
bool PassOverBracketedText(char close);

} // namespace tsw
