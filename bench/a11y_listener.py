# Stands in for a screen reader: registers for every kind of event an
# application sends on the accessibility bus and counts them, so that the
# application pays for each one as it would with a reader listening.
import pyatspi

count = 0


def heard(event):
    global count
    count += 1


pyatspi.Registry.registerEventListener(heard, "object", "window", "focus")
pyatspi.Registry.start()
