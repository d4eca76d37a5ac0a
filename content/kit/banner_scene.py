"""The advert banner's scene file, "banner-layer-landscape-ipad.ccb" and
"banner-layer-landscape-iphone.ccb" (the name takes the device's orientation
suffix, not "~ipad"). The root is the banner layer's own class; its two
placeholders are bound as banner and shortcut and are replaced by the
downloaded pictures, which keep their places, anchors and depths."""
from __future__ import annotations

import ccb
from kit_layout import TAB, banner_size

NAME = "banner-layer.ccb"


def file_name(device: str) -> str:
    return f"banner-layer-landscape-{device}.ccb"


def build(device: str) -> dict:
    w, h = banner_size(device)
    kids = [
        # Covers the layer, which hangs just above the screen until opened.
        ccb.sprite(f"advert-banner-placeholder~{device}.png", (0, 0), size=(w, h), anchor=(0, 0), member="banner"),
        # Hangs from the layer's bottom edge, the screen's top, at the middle.
        ccb.sprite(f"advert-tab-placeholder~{device}.png", (w / 2, 0), size=TAB[device], anchor=(0.5, 1), z=1,
                   member="shortcut"),
    ]
    return ccb.document(ccb.layer(size=(w, h), custom_class="KVTAdvertBannerLayer", children=kids))
