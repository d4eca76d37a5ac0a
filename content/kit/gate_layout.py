"""Where the parental gate's card, texts and number keys stand, tablet and
phone (src/kit/KVTParentalGate.cpp holds the same table: the code lays the
texts and keys out on the card this draws).

Card points, origin at the card's lower-left corner, y up."""
from __future__ import annotations

CARD = {"ipad": (600, 440), "iphone": (340, 272)}
# The green band under the title, from its lower edge to the card's top.
BAND = {"ipad": 366, "iphone": 228}
KEY = {"ipad": 84, "iphone": 44}
UNIT = {"ipad": 1.0, "iphone": 0.5}
