#!/usr/bin/env python3
"""docs/keymap.schema.json, checked with a real validator (python3-jsonschema):
it is a valid draft-07 schema, it accepts the default keymap and every
example in docs/keymap.md, and on every small file of the keymap parser's
own cases it agrees with Quillo: a file is valid exactly when Quillo reads it
without a warning or an error."""
import json
import os
import re
import unittest

import jsonschema

ROOT = os.path.dirname(os.path.dirname(os.path.dirname(os.path.abspath(__file__))))


def read_json(*parts):
    with open(os.path.join(ROOT, *parts), encoding="utf-8") as file:
        return json.load(file)


SCHEMA = read_json("docs", "keymap.schema.json")
VALIDATOR = jsonschema.Draft7Validator(SCHEMA)


def problems(document):
    return [error.message for error in VALIDATOR.iter_errors(document)]


class KeymapSchema(unittest.TestCase):
    def test_it_is_a_draft_7_schema(self):
        jsonschema.Draft7Validator.check_schema(SCHEMA)

    def test_the_default_keymap_is_valid(self):
        self.assertEqual(problems(read_json("Quillo", "Resources", "keymap.json")), [])

    def test_every_example_of_the_guide_is_valid(self):
        with open(os.path.join(ROOT, "docs", "keymap.md"), encoding="utf-8") as file:
            blocks = re.findall(r"```json\n(.*?)```", file.read(), re.S)
        self.assertGreater(len(blocks), 3)
        for block in blocks:
            example = json.loads(block)
            # A focus rule on its own is shown as it stands in "allow".
            if "focused" in example:
                example = {"focus": {"allow": [example]}}
            with self.subTest(block[:60]):
                self.assertEqual(problems(example), [])

    def test_it_agrees_with_quillo_on_every_parser_case(self):
        cases = read_json("tests", "QuilloCore", "fixtures", "keymap_parse.json")["cases"]
        checked = 0
        for case in cases:
            try:
                document = json.loads(case["text"])
            except ValueError:
                continue  # not JSON: nothing for a schema to say
            quillo_accepts = "error" not in case and not case.get("warnings")
            with self.subTest(case["text"][:80]):
                self.assertEqual(problems(document) == [], quillo_accepts, problems(document))
            checked += 1
        self.assertGreater(checked, 25)

    def test_it_refuses_what_quillo_warns_about(self):
        wrong = [
            {"keys": {"esc": "archive"}},
            {"keys": {"shift+e": "archive"}},
            {"keys": {"e": "Archive"}},
            {"composeKeys": {"return": "send"}},
            {"anywhereKeys": {"e": "archive"}},
            {"actions": {"send": {}}},
            {"actions": {"archive": {"menu": [["Message", "**"]]}}},
            {"actions": {"archive": {"menu": [["**", "Archive", "Now"]]}}},
            {"actions": {"archive": {"menu": [["Message", " "]]}}},
            {"actions": {"archiveAll": {"key": "down"}}},
            {"focus": {"allow": [{"focused": {"subrole": "AXStandardWindow"}}]}},
            {"version": 2},
        ]
        for document in wrong:
            with self.subTest(json.dumps(document)):
                self.assertNotEqual(problems(document), [])

    def test_sequences_of_two_keys(self):
        right = [
            {"keys": {"g i": "archive", "g I": "markRead", "ctrl+x e": "forward",
                      "g return": "openMessage", "g cmd+r": "reply"}},
            {"composeKeys": {"cmd+k s": "send"}},
            {"anywhereKeys": {"ctrl+x c": "copy"}},
        ]
        for document in right:
            with self.subTest(json.dumps(document)):
                self.assertEqual(problems(document), [])
        wrong = [
            {"keys": {"g i x": "archive"}},
            {"keys": {"g  i": "archive"}},
            {"keys": {" g": "archive"}},
            {"keys": {"g shift+i": "archive"}},
            {"keys": {"g esc": "archive"}},
            {"keys": {"g i": "goNowhere"}},
            {"composeKeys": {"k s": "send"}},
            {"anywhereKeys": {"c c": "copy"}},
        ]
        for document in wrong:
            with self.subTest(json.dumps(document)):
                self.assertNotEqual(problems(document), [])

    def test_an_editor_may_name_the_schema(self):
        self.assertEqual(problems({"$schema": "./keymap.schema.json", "keys": {"e": "archive"}}), [])


if __name__ == "__main__":
    unittest.main()
