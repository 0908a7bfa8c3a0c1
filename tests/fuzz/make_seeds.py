# Writes the committed seed corpus of the host-call fuzzer: short call
# sequences in the byte format HostCallFuzzer.cpp reads.
import struct, os

def set_param(index, special):            # special: index into the float table
    return bytes([1, index + 2, special])
def set_param_value(index, byte):         # a value byte/255
    return bytes([1, index + 2, 128, byte])
def rate(special):
    return bytes([4, special])
def arrange(channels):
    return bytes([5]) + struct.pack('<i', channels)
def process(frames, layout, picks, period):
    body = bytes([6]) + struct.pack('<H', frames) + bytes([layout])
    for p in picks[:16] + [0] * (16 - len(picks)):
        body += bytes(p if isinstance(p, tuple) else (p,))
    return body + bytes([period - 1])
def program(number, name=None):
    out = bytes([3, number + 2])
    if name is None:
        return out + bytes([0])
    return out + bytes([1, len(name)]) + name.encode()
def opcode(op, index=0, value=0):
    return bytes([0, op, 0, index + 2, 0, value + 2, 0, 0, 1, 0])

sine = [(100, 140), (100, 200), (100, 230), (100, 200), (100, 140), (100, 80), (100, 20), (100, 80)]
FLOAT_HALF, FLOAT_ONE, FLOAT_ZERO, FLOAT_NAN, FLOAT_INF, FLOAT_BIG = 2, 1, 0, 8, 9, 6
seeds = {
    'plain-blocks': process(256, 0, sine, 8) + process(256, 1, sine, 8) + process(0, 0, [], 1),
    'stereo-oversampled': arrange(2) + set_param(12, FLOAT_ONE) + set_param(13, FLOAT_ONE)
        + process(512, 0, sine, 8) + process(512, 3, sine, 8),
    'non-finite-parameters': b''.join(set_param(i, FLOAT_NAN) for i in range(16)) + process(256, 0, sine, 8)
        + b''.join(set_param(i, FLOAT_INF) for i in range(16)) + process(256, 1, sine, 8),
    'odd-rates': rate(0) + process(128, 0, sine, 8) + rate(8) + rate(15) + set_param(13, FLOAT_ONE)
        + process(1024, 0, sine, 8) + rate(1) + process(64, 1, sine, 8),
    'programs-and-names': program(3) + program(9, 'Renamed program name that is long')
        + program(-1) + program(17) + process(256, 0, sine, 8) + program(0, ''),
    'absurd-samples': process(300, 2, [8, 9, 10, 5, 6, 7, 11, 12, 13], 9) + process(300, 5, [7, 7, 7], 3)
        + set_param(13, FLOAT_ONE) + process(300, 1, [7, 6, 5], 3) + process(256, 0, sine, 8),
    'worst-case': set_param(7, FLOAT_ONE) + set_param(1, FLOAT_ONE) + set_param(8, FLOAT_ONE)
        + process(8192, 0, [(100, 255), (100, 0)], 2) + set_param(13, FLOAT_ONE) + process(4096, 1, [(100, 255), (100, 0)], 2),
    'opcode-sweep': b''.join(opcode(op) for op in range(0, 64)) + process(64, 0, sine, 8),
    'speaker-arrangements': arrange(-1) + process(64, 0, sine, 8) + arrange(1 << 30) + arrange(2)
        + set_param(12, FLOAT_HALF) + process(64, 0, sine, 8) + opcode(69, 0, 0),
}
here = os.path.dirname(os.path.abspath(__file__))
for name, data in seeds.items():
    with open(os.path.join(here, 'corpus', name), 'wb') as f:
        f.write(data)
