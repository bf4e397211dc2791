"""Python's codecs as the reference for the store code pages.

Usage: encode_page.py CODEC TEXT...  (texts in UTF-8)
Prints each text encoded in CODEC as hex, one a line, then the texts' indexes in sorted
order, ignoring case, on one line.
"""
import sys

codec = sys.argv[1]
texts = sys.argv[2:]
for text in texts:
    print(text.encode(codec).hex())
print(" ".join(str(i) for i in sorted(range(len(texts)), key=lambda i: texts[i].lower())))
