#!/usr/bin/python3
"""Checks a built bundle against content/manifest.toml (filled in below)."""
import sys
print("content check: nothing to check yet")
sys.exit(0)
