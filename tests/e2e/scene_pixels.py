"""Colour tests for pictures of the demo scene (a rocket with a red nose, a white body and blue
fins before a brick wall), shared by the graphics scenarios. The back buffer has 16 bits per
pixel, so the bounds are wide."""

import time

CLEAR_COLOUR = (60, 163, 185)


def is_nose_red(rgb):
    r, g, b = rgb
    return r > 140 and r > 3 * g and r > 3 * b


def is_fin_blue(rgb):
    r, g, b = rgb
    return b > 120 and b > r + 60


def is_body_white(rgb):
    return min(rgb) > 200


def is_model(rgb):
    return is_nose_red(rgb) or is_fin_blue(rgb) or is_body_white(rgb)


def is_brick(rgb):
    r, g, b = rgb
    return r > 100 and 1.6 * g < r < 3 * g and b < g


def is_background(rgb):
    return all(abs(int(c) - e) <= 12 for c, e in zip(rgb, CLEAR_COLOUR))


def scene_band(image):
    """The rows that neither the filter (at its start, rows 20 to 69) nor the texts (the top
    lines and the help from row 432) cover: there the picture is the scene alone."""
    return image.crop(0, 70, image.width, 350)


def pixels_where(image, test, step=2):
    return [(x, y) for y in range(0, image.height, step) for x in range(0, image.width, step)
            if test(image.pixel(x, y))]


def count(image, test, step=4):
    return len(pixels_where(image, test, step))


def centre(points):
    return (sum(p[0] for p in points) / len(points), sum(p[1] for p in points) / len(points))


def brightness(rgb):
    return sum(rgb) / 3


def wait_for_scene(session, name, timeout=30):
    """The client picture once the scene is drawn (wall or cleared background over most of
    it): under a loaded machine the first frames can take several seconds."""
    deadline = time.monotonic() + timeout
    while True:
        image = session.client_image(session.screenshot(name))
        drawn = count(image, lambda c: is_brick(c) or is_background(c))
        if drawn > 0.4 * (image.width // 4) * (image.height // 4) or time.monotonic() > deadline:
            return image
        time.sleep(0.5)
