"""The graphics verbs draw the same whatever came before them: draw_orders (built beside the
viewer) draws the model, a filter quad and a text in the frame's order and in orders the frame
never uses, and compares the presented pictures itself."""
import os
import unittest

import harness


class DrawOrders(unittest.TestCase):
    @harness.also_without_d3dx  # the meshes, quads and texts of the code that stands in for D3DX
    def test_orders_give_the_same_picture(self):
        viewer = os.path.abspath(harness.options.exe)
        session = harness.Session(self, exe=os.path.join(
            os.path.dirname(viewer), "draw_orders" + os.path.splitext(viewer)[1]))
        code = session.launch([session.exe]).wait(120)
        print(session.output())
        self.assertEqual(0, code)


if __name__ == "__main__":
    harness.main()
