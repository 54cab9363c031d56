#!/usr/bin/env python3
"""scripts/check-bundle over small fake bundles, with otool answered from a
table in otool's own output format: what it must let pass and what it must
report."""
import json
import os
import subprocess
import sys
import tempfile
import unittest

ROOT = os.path.dirname(os.path.dirname(os.path.dirname(os.path.abspath(__file__))))
CHECK = os.path.join(ROOT, "scripts", "check-bundle")
MACHO = b"\xcf\xfa\xed\xfe"  # 64-bit Mach-O, little-endian

FAKE_OTOOL = r'''
import json, os, sys
flag, path = sys.argv[1], sys.argv[2]
entry = json.load(open(os.environ["FAKE_OTOOL_TABLE"]))[os.path.basename(path)]
if flag == "-D":
    print(path + ":")
    if entry.get("id"): print(entry["id"])
elif flag == "-L":
    print(path + ":")
    for name in ([entry["id"]] if entry.get("id") else []) + entry.get("loads", []):
        print("\t" + name + " (compatibility version 1.0.0, current version 1.0.0)")
elif flag == "-l":
    for number, rpath in enumerate(entry.get("rpaths", [])):
        print("Load command %d\n          cmd LC_RPATH\n      cmdsize 48\n         path %s (offset 12)" % (number, rpath))
'''

QTCORE = "@rpath/QtCore.framework/Versions/A/QtCore"
QUILLO = {"rpaths": ["@executable_path/../Frameworks"],
          "loads": [QTCORE, "/usr/lib/libc++.1.dylib",
                    "/System/Library/Frameworks/AppKit.framework/Versions/C/AppKit"]}
FRAMEWORK = {"id": QTCORE, "loads": ["/usr/lib/libSystem.B.dylib"]}
COCOA = {"id": "libqcocoa.dylib", "rpaths": ["@loader_path/../../Frameworks"], "loads": [QTCORE]}


class CheckBundle(unittest.TestCase):
    def run_check(self, table):
        with tempfile.TemporaryDirectory() as tmp:
            app = os.path.join(tmp, "Quillo.app", "Contents")
            files = {"Quillo": "MacOS", "QtCore": "Frameworks/QtCore.framework/Versions/A",
                     "libqcocoa.dylib": "PlugIns/platforms"}
            for name in table:
                os.makedirs(os.path.join(app, files[name]), exist_ok=True)
                with open(os.path.join(app, files[name], name), "wb") as file:
                    file.write(MACHO)
            with open(os.path.join(app, "Info.plist"), "w") as file:
                file.write("not a Mach-O file")
            with open(os.path.join(tmp, "table.json"), "w") as file:
                json.dump(table, file)
            with open(os.path.join(tmp, "otool.py"), "w") as file:
                file.write(FAKE_OTOOL)
            env = dict(os.environ, FAKE_OTOOL_TABLE=os.path.join(tmp, "table.json"),
                       QUILLO_OTOOL=f"{sys.executable} {os.path.join(tmp, 'otool.py')}")
            done = subprocess.run([sys.executable, CHECK, os.path.join(tmp, "Quillo.app")],
                                  env=env, capture_output=True, text=True)
            return done.returncode, done.stdout

    def test_a_deployed_bundle_passes(self):
        code, out = self.run_check({"Quillo": QUILLO, "QtCore": FRAMEWORK, "libqcocoa.dylib": COCOA})
        self.assertEqual(code, 0, out)

    def test_a_plug_in_reaches_the_frameworks_through_the_executables_rpath(self):
        plugin = dict(COCOA, rpaths=[])
        code, out = self.run_check({"Quillo": QUILLO, "QtCore": FRAMEWORK, "libqcocoa.dylib": plugin})
        self.assertEqual(code, 0, out)

    def test_what_points_outside_is_reported(self):
        cases = [
            ("libqcocoa.dylib", dict(COCOA, rpaths=["@loader_path/../../../../lib"]),
             "rpath @loader_path/../../../../lib points outside the bundle"),
            ("libqcocoa.dylib", dict(COCOA, rpaths=["/opt/homebrew/lib"]),
             "rpath /opt/homebrew/lib points outside the bundle"),
            ("Quillo", dict(QUILLO, loads=QUILLO["loads"] + ["/opt/homebrew/opt/icu4c/lib/libicuuc.76.dylib"]),
             "refers to /opt/homebrew/opt/icu4c/lib/libicuuc.76.dylib, outside the bundle and the system"),
            ("Quillo", dict(QUILLO, loads=["@rpath/QtGui.framework/Versions/A/QtGui"]),
             "@rpath/QtGui.framework/Versions/A/QtGui is not found inside the bundle"),
        ]
        for name, changed, expected in cases:
            with self.subTest(expected):
                table = {"Quillo": QUILLO, "QtCore": FRAMEWORK, "libqcocoa.dylib": COCOA}
                table[name] = changed
                code, out = self.run_check(table)
                self.assertEqual(code, 1, out)
                self.assertIn(expected, out)


if __name__ == "__main__":
    unittest.main()
