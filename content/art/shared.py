"""Generated pictures that several screens share: clouds, round buttons,
digits and the fall-back picture."""
from __future__ import annotations

import draw as d
from draw import f

# Five cloud shapes: bumps as (x, y, radius) in fractions of the picture.
CLOUDS = {
    "cloud1": [(0.2, 0.62, 0.34), (0.42, 0.42, 0.42), (0.66, 0.48, 0.38), (0.84, 0.64, 0.3), (0.5, 0.66, 0.32)],
    "cloud2": [(0.24, 0.6, 0.34), (0.5, 0.44, 0.42), (0.76, 0.6, 0.34), (0.5, 0.68, 0.3)],
    "cloud3": [(0.14, 0.66, 0.28), (0.32, 0.5, 0.38), (0.54, 0.44, 0.42), (0.74, 0.52, 0.36), (0.88, 0.66, 0.26), (0.5, 0.68, 0.3)],
    "cloud4": [(0.28, 0.6, 0.36), (0.56, 0.46, 0.44), (0.78, 0.64, 0.32), (0.5, 0.7, 0.28)],
    "cloud5": [(0.18, 0.64, 0.32), (0.38, 0.44, 0.4), (0.62, 0.42, 0.38), (0.82, 0.62, 0.32), (0.5, 0.68, 0.3)],
}


def cloud(name: str, w: int, h: int) -> str:
    return d.svg(w, h, d.cloud(w, h, CLOUDS[name], u=w / 190))


def _badge(colour: str, rim: str, icon: str, pressed: bool) -> str:
    """A round, raised button (100 x 100 units) with an icon on it."""
    shift = 4 if pressed else 0
    face = "#" + "".join(f"{max(0, int(colour[i:i + 2], 16) - 28):02x}" for i in (1, 3, 5)) if pressed else colour
    return (f'<circle cx="50" cy="54" r="44" fill="{rim}" stroke="{d.INK}" stroke-width="4"/>'
            f'<g transform="translate(0 {shift})">'
            f'<circle cx="50" cy="48" r="43" fill="{face}" stroke="{d.INK}" stroke-width="4"/>'
            f'<path d="M22 34 A32 32 0 0 1 62 18" fill="none" stroke="#ffffff" stroke-width="6" stroke-linecap="round" opacity="0.55"/>'
            f'{icon}</g>')


SPEAKER = ('<path d="M26 40 L36 40 L50 28 L50 68 L36 56 L26 56 Z" fill="#ffffff" stroke="{ink}" stroke-width="3.5" stroke-linejoin="round"/>')
WAVES = ('<path d="M58 38 Q64 48 58 58 M66 32 Q76 48 66 64" fill="none" stroke="#ffffff" stroke-width="5" stroke-linecap="round"/>'
         '<path d="M58 38 Q64 48 58 58 M66 32 Q76 48 66 64" fill="none" stroke="{ink}" stroke-width="1.5" stroke-linecap="round" opacity="0.0"/>')
NOTE = ('<path d="M62 66 L62 34 L76 30" fill="none" stroke="#ffffff" stroke-width="5" stroke-linecap="round" stroke-linejoin="round"/>'
        '<ellipse cx="57" cy="66" rx="7" ry="5.5" fill="#ffffff" stroke="{ink}" stroke-width="2"/>')
CROSS = ('<path d="M58 38 L76 58 M76 38 L58 58" stroke="{ink}" stroke-width="10" stroke-linecap="round"/>'
         '<path d="M58 38 L76 58 M76 38 L58 58" stroke="#ff5a5f" stroke-width="6" stroke-linecap="round"/>')
ARROW = ('<path d="M24 48 L46 28 L46 40 L74 40 L74 56 L46 56 L46 68 Z" fill="#ffffff" stroke="{ink}" stroke-width="3.5" stroke-linejoin="round"/>')
ENVELOPE = ('<rect x="24" y="32" width="52" height="36" rx="5" fill="#ffffff" stroke="{ink}" stroke-width="3.5"/>'
            '<path d="M26 35 L50 54 L74 35" fill="none" stroke="{ink}" stroke-width="3.5" stroke-linejoin="round"/>'
            '<path d="M50 22 C46 16 38 20 42 26 L50 32 L58 26 C62 20 54 16 50 22 Z" fill="#ff5a7e" stroke="{ink}" stroke-width="2.5" stroke-linejoin="round"/>')

ROUND_BUTTONS = {
    # name: (face colour, rim colour, icon)
    "button_sound_on": ("#4cc36b", "#2e8c47", SPEAKER + WAVES),
    "button_sound_off": ("#9aa5ad", "#6c767d", SPEAKER + CROSS),
    "button_back": ("#ffb020", "#d07a12", ARROW),
    "button_feedback": ("#4aa3f0", "#2a6fb8", ENVELOPE),
    "button_feedback_on": ("#4aa3f0", "#2a6fb8", ENVELOPE),
}


def round_button(name: str, w: int, h: int) -> str:
    colour, rim, icon = ROUND_BUTTONS[name]
    return d.svg(w, h, _badge(colour, rim, icon.replace("{ink}", d.INK), name.endswith("_on") and name != "button_sound_on"),
                 view=(0, 0, 100, 100))


DIGIT_COLOURS = ["#ff5a5f", "#ff9f1c", "#ffcf33", "#6cc644", "#2ec4b6",
                 "#3fa9f5", "#7b6cf6", "#c86bfa", "#ff6fb5", "#ff7b29", "#4caf50"]


def digit(text: str, colour_index: int, w: int, h: int) -> str:
    """A big, fat numeral in the bundle's rounded face, white-rimmed and
    outlined so it reads on any background."""
    colour = DIGIT_COLOURS[colour_index % len(DIGIT_COLOURS)]
    size = h * 1.02
    x, y = w / 2, h * 0.84
    common = (f'x="{f(x)}" y="{f(y)}" font-family="Andika" font-weight="bold" font-size="{f(size)}" '
              f'text-anchor="middle"')
    return d.svg(w, h,
                 f'<text {common} fill="none" stroke="{d.INK}" stroke-width="{f(h * 0.16)}" stroke-linejoin="round">{text}</text>'
                 f'<text {common} fill="none" stroke="#ffffff" stroke-width="{f(h * 0.09)}" stroke-linejoin="round">{text}</text>'
                 f'<text {common} fill="{colour}">{text}</text>')


def missing_texture(w: int, h: int) -> str:
    # Shown only where a picture is missing: transparent, so that a child
    # never sees a test pattern; the scene-file reader logs the gap.
    return d.svg(w, h, "")
