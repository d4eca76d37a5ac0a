"""The drawing pages' scene file, "draw-scene.ccb", for both devices.

The root is the scene's own layer class. Its code finds the two page layers
(tags 1 and 2, filled with a page's digit and animal as the child turns
pages) and the clouds (tags 20-24) among the root's children, and binds the
members named here:

- the number strip with its marker over number 1 and a hidden twin of the
  marker over number 2 (the code takes the strip's spacing from the two),
  as on the learn pages;
- the two page buttons, which the code itself puts at the middle of the
  right and left edges: anchored on the edge so they show whole;
- toolsLayer, the palette: the board (`colors`, never read), the swatches
  (tag 1 each, tinted with the ink they give), `defaultMarker` (hidden; its
  colour is the ink the pages start with) and `colorHighlight`, the rings
  the code shows its highlight through, over the whole board, taken out of
  the tree at load;
- wayPointsLayer (the stars) and particleLayer (their bubbles);
- letterLabel, a plain node at the digit's centre: the strokes files hold
  way points as offsets from it;
- the back and music buttons.

toolsLayer, wayPointsLayer and particleLayer stand at the origin, unscaled:
the code places swatches, stars and bubbles in window points.

Drawing order: meadow with the easel, clouds, pages, strip and marker,
palette; the code's ink canvases (z 6); stars, bubbles; the code's pen
(z 10); buttons.
"""
from __future__ import annotations

import ccb
from draw_layout import DEFAULT_INK, INKS, NAME, places
from screen import size

Z_BACKGROUND, Z_CLOUDS, Z_PAGES, Z_STRIP, Z_MARKER, Z_TOOLS = 0, 1, 2, 3, 4, 5
Z_STARS, Z_BUBBLES, Z_BUTTONS = 7, 8, 20


def build(device: str) -> dict:
    p = places(device)
    w, h = p["screen"]

    def img(name: str) -> str:
        return ccb.device_name(name, device)

    def sz(name: str):
        return size(name, device)

    kids = [ccb.sprite(img("draw-bg.png"), (w / 2, h / 2), size=(w, h), z=Z_BACKGROUND)]
    kids += ccb.clouds(p["clouds"], device, size, z=Z_CLOUDS)
    # The page on view (tag 1) and the one that takes the next page (2), to
    # the right; the code places them again as it fills them.
    for tag, at in ((1, 0), (2, w)):
        page = ccb.layer(size=(w, h), tag=tag, z=Z_PAGES)
        page["properties"]["position"] = [float(at), 0.0]
        kids.append(page)

    kids.append(ccb.sprite(img("learn-numbers.png"), p["strip"], size=p["strip_size"], z=Z_STRIP,
                           member="menuNumbers"))
    marker = (p["slot"], p["slot"])
    kids.append(ccb.sprite(img("learn-marker.png"), p["slots"][0], size=marker, z=Z_MARKER, member="curMenuItem"))
    kids.append(ccb.sprite(img("learn-marker.png"), p["slots"][1], size=marker, z=Z_MARKER, member="distance",
                           visible=False))

    swatch = sz("draw-swatch.png")
    tools = [ccb.sprite(img("draw-palette.png"), p["palette"], size=p["palette_size"], member="colors")]
    tools += [ccb.sprite(img("draw-swatch.png"), at, size=swatch, tag=1, color=ink)
              for at, ink in zip(p["swatches"], INKS)]
    tools.append(ccb.sprite(img("draw-swatch.png"), p["swatches"][DEFAULT_INK], size=swatch, color=INKS[DEFAULT_INK],
                            member="defaultMarker", visible=False))
    # Shown only through the code's mask, never in the tree: it must stay
    # visible and opaque, or the mask would let the whole highlight through.
    tools.append(ccb.sprite(img("draw-highlight.png"), p["palette"], size=p["palette_size"], member="colorHighlight"))
    kids.append(ccb.layer(size=(w, h), z=Z_TOOLS, member="toolsLayer", children=tools))

    kids.append(ccb.layer(size=(w, h), z=Z_STARS, member="wayPointsLayer"))
    kids.append(ccb.layer(size=(w, h), z=Z_BUBBLES, member="particleLayer"))
    kids.append(ccb.node(p["letter"], member="letterLabel"))

    edge = sz("draw-next.png")
    kids.append(ccb.sprite(img("draw-next.png"), p["next"], size=edge, anchor=(1, 0.5), z=Z_BUTTONS,
                           member="buttonNext"))
    kids.append(ccb.sprite(img("draw-prev.png"), p["prev"], size=edge, anchor=(0, 0.5), z=Z_BUTTONS,
                           member="buttonPrev"))
    kids.append(ccb.sprite(img("button_back.png"), p["back"], size=sz("button_back.png"), z=Z_BUTTONS,
                           member="buttonBack"))
    kids.append(ccb.sprite(img("button_sound_on.png"), p["sound"], size=sz("button_sound_on.png"), z=Z_BUTTONS,
                           member="buttonSound"))

    return ccb.document(ccb.layer(size=(w, h), custom_class="DrawScene", children=kids))
