"""Placeholder."""

def jobs():
    return []
