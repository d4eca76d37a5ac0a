"""Shared set-up for the content tools' tests."""
from __future__ import annotations

import sys
from pathlib import Path

TOOLS = Path(__file__).resolve().parent.parent
CONTENT = TOOLS.parent / "content"
for p in (TOOLS, TOOLS / "nm", CONTENT / "menu", CONTENT / "learning", CONTENT / "game", CONTENT / "art", CONTENT / "audio",
          CONTENT / "kit"):
    if str(p) not in sys.path:
        sys.path.insert(0, str(p))
