# Peers of the neighbourhood and area filters, read by bench/peers.sh (which
# provides work, pil, bgr, cv2, np, Image and ops).
from PIL import ImageFilter


def kernel_file(name, rows, scale=1):
    path = os.path.join(work, name + ".mat")
    with open(path, "w") as f:
        f.write(f"{len(rows[0])} {len(rows)} {scale} 0\n")
        f.write("\n".join(" ".join(str(v) for v in r) for r in rows) + "\n")
    return path


def kernel_peers(name, rows, scale=1):
    flat = [v for r in rows for v in r]
    text = ",".join(str(v) for v in flat)
    k = np.array(rows, dtype=np.float32) / scale
    return dict(im=["-define", f"convolve:scale={1 / scale}", "-morphology", "Convolve", f"3x3:{text}"],
                gm=["-convolve", text] if scale == 1 else None,
                vips=["conv", "IN", "OUT", kernel_file(name, rows, scale), "--precision", "integer"],
                pil=lambda: pil.filter(ImageFilter.Kernel((3, 3), flat, scale=scale)),
                cv=lambda: cv2.filter2D(bgr, -1, k))


line = [[1] * 41]
line_mat = kernel_file("line41", line, 41)
box_mat = kernel_file("box15", [[1] * 15], 15)

ops += [
    ("ColorEmboss", kernel_peers("cemboss", [[-1, -1, -1], [0, 1, 0], [1, 1, 1]])),
    ("DarkEmboss", kernel_peers("demboss", [[-1, -2, -1], [0, 0, 0], [1, 2, 1]])),
    ("SunPower", kernel_peers("sun", [[1, 3, 1], [3, 5, 3], [1, 3, 1]], 16)),
    ("VertSobel", dict(kernel_peers("sobel", [[-1, -2, -1], [0, 0, 0], [1, 2, 1]]),
                       vips=["sobel", "IN", "OUT"], cv=lambda: cv2.Sobel(bgr, -1, 0, 1))),
    ("Laplacian2", dict(kernel_peers("lap2", [[-1, -1, -1], [-1, 8, -1], [-1, -1, -1]]),
                        cv=lambda: cv2.Laplacian(bgr, -1))),
    ("Emboss", dict(im=["-emboss", "1"], gm=["-emboss", "1"], vips=None,
                    pil=lambda: pil.filter(ImageFilter.EMBOSS),
                    cv=lambda: cv2.filter2D(cv2.cvtColor(bgr, cv2.COLOR_BGR2GRAY), -1,
                                            np.array([[1, 0, 0], [0, 0, 0], [0, 0, -1]], np.float32), delta=128))),
    ("Median", dict(im=["-statistic", "Median", "3x3"], gm=["-median", "1"], vips=["rank", "IN", "OUT", "3", "3", "4"],
                    pil=lambda: pil.filter(ImageFilter.MedianFilter(3)), cv=lambda: cv2.medianBlur(bgr, 3))),
    ("SharpenMode2Power3", kernel_peers("sharp", [[-3, -3, -3], [-3, 25, -3], [-3, -3, -3]])),
    ("SoftenRadius7", dict(im=["-statistic", "Mean", "15x15"], gm=None,
                           vips=["convsep", "IN", "OUT", box_mat, "--precision", "integer"],
                           pil=lambda: pil.filter(ImageFilter.BoxBlur(7)), cv=lambda: cv2.blur(bgr, (15, 15)))),
    ("GaussianBlurValue50", dict(im=["-blur", "0x5"], gm=["-blur", "0x5"], vips=["gaussblur", "IN", "OUT", "5"],
                                 pil=lambda: pil.filter(ImageFilter.GaussianBlur(5)),
                                 cv=lambda: cv2.GaussianBlur(bgr, (0, 0), 5))),
    ("MotionBlurSize20Quality10", dict(im=["-motion-blur", "0x20+0"], gm=None,
                                       vips=["conv", "IN", "OUT", line_mat, "--precision", "integer"], pil=None,
                                       cv=lambda: cv2.filter2D(bgr, -1, np.ones((1, 41), np.float32) / 41))),
    ("OilPaintBlock3Levels128", dict(im=["-paint", "3"], gm=["-paint", "3"], vips=None, pil=None, cv=None)),
    ("KuwaharaBlock3", dict(im=["-kuwahara", "3"], gm=None, vips=None, pil=None, cv=None)),
]
