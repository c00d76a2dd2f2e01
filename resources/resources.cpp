// Anchor for the resource library; the resources are compiled in by qt_add_resources.
