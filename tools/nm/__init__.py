"""Build tools for Number Meadow's resources (Python 3 standard library, plus
Pillow where a tool says so)."""
