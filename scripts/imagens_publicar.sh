#!/usr/bin/env bash
# Makes the pictures of docs/publicar.md with the viewer (default build/visualizador): each
# picture is one `visualizador ... --imagem`, those shown side by side joined with ImageMagick's
# convert, the magnified details cut out of the pictures and enlarged pixel by pixel. The cloud
# of 300,000 points is made by bench/exportar_primitivas.py into a scratch folder.
#   bash scripts/imagens_publicar.sh [VISUALIZADOR]
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
prog=$(realpath -- "${1:-$root/build/visualizador}")
docs=$root/docs
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
cd "$root"
v() { "$prog" "$@" >/dev/null; }

# 16 and 24 bits: the torus lit at every pixel.
v exemplos/toro.txt --modo phong --bits 16 --imagem "$tmp/bits16.png"
v exemplos/toro.txt --modo phong --bits 24 --imagem "$tmp/bits24.png"
convert "$tmp/bits16.png" "$tmp/bits24.png" +append "$docs/publicar-bits.png"

# One sample a pixel and 3 x 3, with the ear four times as large.
v exemplos/bunny.txt --imagem "$tmp/aa1.png"
v exemplos/bunny.txt --aa 3 --imagem "$tmp/aa3.png"
convert "$tmp/aa1.png" "$tmp/aa3.png" +append "$docs/publicar-aa.png"
for k in 1 3; do
    convert "$tmp/aa$k.png" -crop 120x90+380+30 +repage -filter point -resize 400% "$tmp/orelha$k.png"
done
convert "$tmp/orelha1.png" "$tmp/orelha3.png" +append "$docs/publicar-aa-detalhe.png"

# A cloud of 300,000 points without their colours: no eye-dome lighting, the default, 2,40.
python3 bench/exportar_primitivas.py nuvem exemplos/bunny.txt "$tmp/nuvem-300k.ply" --pontos 300000
v "$tmp/nuvem-300k.ply" --sem-cor --imagem "$tmp/edl0.png"
v "$tmp/nuvem-300k.ply" --sem-cor --edl --imagem "$tmp/edl1.png"
v "$tmp/nuvem-300k.ply" --sem-cor --edl 2,40 --imagem "$tmp/edl2.png"
convert "$tmp/edl0.png" "$tmp/edl1.png" "$tmp/edl2.png" +append "$docs/publicar-edl.png"

# The coloured bunny on white and on no background, 24 bits, 2 x 2 samples.
v exemplos/bunny-cores.ply --bits 24 --aa 2 --fundo '#ffffff' --imagem "$docs/publicar-branco.png"
v exemplos/bunny-cores.ply --bits 24 --aa 2 --fundo transparente \
    --imagem "$docs/publicar-transparente.png"
echo "imagens_publicar: docs/publicar-*.png written"
