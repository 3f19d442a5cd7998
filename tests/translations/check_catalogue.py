#!/usr/bin/env python3
"""Every Japanese text of the sources has its English: brings a copy of the catalogue up to date
with the sources (as scripts/update-translations.sh does) and checks each entry of the copy. An
entry fails when it is unfinished or empty, or when its English loses what the program fills in
or relies on: the %1..%9 arguments, the access key of a caption, the line breaks at either end."""
import os
import re
import shutil
import subprocess
import sys
import tempfile
import xml.etree.ElementTree as ET

root = os.path.dirname(os.path.dirname(os.path.dirname(os.path.abspath(__file__))))
catalogue = os.path.join(root, 'translations', 'quillmate_en.ts')


def access_key(text):
    # "&O" marks an access key; "&&" is a plain ampersand.
    return re.search(r'&(?!&)\S', text.replace('&&', '')) is not None


def problems(context, source, translation):
    if translation.get('type') in ('unfinished', 'vanished', 'obsolete') or not translation.text:
        return ['no English']
    english = translation.text
    found = []
    if sorted(re.findall(r'%\d', source)) != sorted(re.findall(r'%\d', english)):
        found.append('arguments differ: %s' % ' '.join(sorted(re.findall(r'%\d', english))))
    if access_key(source) != access_key(english):
        found.append('access key missing or extra')
    for name, ends in (('start', str.startswith), ('end', str.endswith)):
        if ends(source, '\n') != ends(english, '\n'):
            found.append('line break at the %s differs' % name)
    return found


def main():
    with tempfile.TemporaryDirectory() as work:
        copy = os.path.join(work, 'quillmate_en.ts')
        shutil.copyfile(catalogue, copy)
        subprocess.run([os.path.join(root, 'scripts', 'update-translations.sh'), copy], check=True)
        failures = []
        count = 0
        for context in ET.parse(copy).getroot().iter('context'):
            name = context.find('name').text
            for message in context.iter('message'):
                count += 1
                source = message.find('source').text or ''
                for problem in problems(name, source, message.find('translation')):
                    failures.append('%s: %r: %s' % (name, source, problem))
        for failure in failures:
            print(failure)
        if failures:
            print('%d of %d texts need their English in translations/quillmate_en.ts '
                  '(scripts/update-translations.sh adds new texts there)' % (len(failures), count))
            return 1
        print('%d texts, all with their English' % count)
        return 0


if __name__ == '__main__':
    sys.exit(main())
