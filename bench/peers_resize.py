# Peer equivalents of the resize benchmarks, added to the operation list of
# bench/peers.sh. Each method is matched with the nearest kernel a peer has.
def _resize_ops():
    sizes = {50: (W // 2, H // 2), 200: (W * 2, H * 2)}
    pil_filters = {"NearestNeighbor": Image.Resampling.NEAREST, "API": Image.Resampling.NEAREST,
                   "BiLinear": Image.Resampling.BILINEAR, "Integration": Image.Resampling.BOX,
                   "Hann": Image.Resampling.HAMMING, "Hamming": Image.Resampling.HAMMING,
                   "Bicubic": Image.Resampling.BICUBIC, "Lanczos3": Image.Resampling.LANCZOS}
    cv_filters = {"NearestNeighbor": cv2.INTER_NEAREST, "API": cv2.INTER_NEAREST, "BiLinear": cv2.INTER_LINEAR,
                  "Integration": cv2.INTER_AREA, "Bicubic": cv2.INTER_CUBIC, "Lanczos4": cv2.INTER_LANCZOS4}
    im_filters = {"NearestNeighbor": None, "API": None, "BiLinear": "Triangle", "Integration": "Box",
                  "Hann": "Hann", "Hamming": "Hamming", "Hermite": "Hermite", "Bell": "Quadratic",
                  "BSpline": "Spline", "Bicubic": "Catrom", "Mitchell": "Mitchell", "Lagrange": "Lagrange",
                  "Lanczos2": "Lanczos2", "Lanczos3": "Lanczos", "Lanczos4": "Lanczos"}
    vips_kernels = {"NearestNeighbor": "nearest", "API": "nearest", "BiLinear": "linear", "Bicubic": "cubic",
                    "Mitchell": "mitchell", "Lanczos2": "lanczos2", "Lanczos3": "lanczos3"}
    gm_names = {"NearestNeighbor", "API", "BiLinear", "Integration", "Hermite", "Bell", "Bicubic", "Mitchell",
                "Lanczos3"}
    out = []
    for name, im_filter in im_filters.items():
        for percent, (w, h) in sizes.items():
            geometry = f"{w}x{h}!"
            if im_filter is None:
                im_args = ["-sample", geometry]
            else:
                im_args = ["-filter", im_filter] + (["-define", "filter:lobes=4"] if name == "Lanczos4" else []) + ["-resize", geometry]
            kernel = vips_kernels.get(name)
            scale = str(percent / 100)
            vips_args = ["resize", "IN", "OUT", scale, "--kernel", kernel] if kernel else None
            if name == "Integration" and percent == 50:
                vips_args = ["shrink", "IN", "OUT", "2", "2"]
            pf, cf = pil_filters.get(name), cv_filters.get(name)
            # A resize to a fixed size cannot be chained: the repeats would change nothing.
            out.append((f"Resize{name}To{percent}", dict(
                once=True, im=im_args, gm=im_args if name in gm_names else None,
                vips=vips_args,
                pil=(lambda pf=pf, w=w, h=h: pil.resize((w, h), pf)) if pf is not None else None,
                cv=(lambda cf=cf, w=w, h=h: cv2.resize(bgr, (w, h), interpolation=cf)) if cf is not None else None)))
    return out


ops += _resize_ops()
