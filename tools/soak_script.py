#!/usr/bin/env python3
"""Writes a launcher script of random play for a soak run: taps, drags and
swipes anywhere, typing into whatever has the focus, and every few seconds a
way through the buttons into another scene (the four activities, the shelf
and the feedback form), so that every scene is played and left again.

    soak_script.py MINUTES SEED WIDTH HEIGHT > script.txt

Points are the launcher's (origin bottom-left). The same seed gives the same
script."""
import random
import sys

# Where the buttons are, as fractions of the screen (the same on both
# devices): the menu's four activities, the back button (the envelope on the
# menu), and the shelf's tab at the bottom centre.
ACTIVITIES = [(0.125, 0.12), (0.32, 0.12), (0.68, 0.12), (0.875, 0.12)]
BACK = (0.052, 0.928)
SHELF_TAB = (0.5, 0.01)
# The open shelf's tab, and the form's close button.
SHELF_OPEN_TAB = (0.5, 0.825)
FORM_CLOSE = (0.835, 0.92)
TEXTS = ["Ciao", "Perché sì", "Жук и ёжик", "a&b=c+d", "100%", "Ann"]
KEYS = ["BackSpace", "Tab", "Return", "Left", "Right", "Escape", "ctrl+a", "ctrl+v", "ctrl+x"]


def main():
    minutes, seed, width, height = float(sys.argv[1]), int(sys.argv[2]), float(sys.argv[3]), float(sys.argv[4])
    rng = random.Random(seed)
    out = ["wait 0.1", "tap 2 2", "wait 1.2"]  # past the logo
    elapsed, next_visit, visit = 1.3, 4.0, 0

    def point(fx=None, fy=None):
        x = width * (fx if fx is not None else rng.random())
        y = height * (fy if fy is not None else rng.random())
        return f"{min(width - 1, max(0, x)):.0f} {min(height - 1, max(0, y)):.0f}"

    def wait(seconds):
        nonlocal elapsed
        out.append(f"wait {seconds:.2f}")
        elapsed += seconds

    while elapsed < minutes * 60:
        if elapsed >= next_visit:
            # Close the form and the shelf if random play left one open (else
            # these are two more random taps), back to the menu (on the menu
            # the envelope opens the form: close it again), then into the
            # next scene.
            for place in (FORM_CLOSE, SHELF_OPEN_TAB, BACK, FORM_CLOSE):
                out.append("tap " + point(*place))
                wait(0.8)
            target = visit % 6
            if target < 4:
                out.append("tap " + point(*ACTIVITIES[target]))
            elif target == 4:
                out.append("tap " + point(*SHELF_TAB))
            else:
                out.append("tap " + point(*BACK))
            visit += 1
            wait(1.0)
            next_visit = elapsed + rng.uniform(5, 12)
            continue
        kind = rng.random()
        if kind < 0.5:
            out.append("tap " + point())
        elif kind < 0.72:
            out.append("down " + point())
            for _ in range(rng.randint(2, 10)):
                wait(rng.uniform(0.016, 0.05))
                out.append("move " + point())
            out.append("up " + point())
        elif kind < 0.85:
            y = rng.random()
            left = rng.random() < 0.5
            xs = [0.15, 0.35, 0.55, 0.75, 0.9] if left else [0.9, 0.7, 0.5, 0.3, 0.1]
            out.append("down " + point(xs[0], y))
            for x in xs[1:]:
                wait(0.02)
                out.append("move " + point(x, y))
            out.append("up " + point(xs[-1], y))
        elif kind < 0.95:
            out.append("type " + rng.choice(TEXTS))
        else:
            out.append("key " + rng.choice(KEYS))
        wait(rng.uniform(0.05, 1.2))
    out.append("quit")
    print("\n".join(out))


if __name__ == "__main__":
    main()
