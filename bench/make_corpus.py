#!/usr/bin/env python3
"""Writes a Windows-1251 text of at least SIZE megabytes, made of everyday Russian or Ukrainian
words with punctuation and line breaks, and a word list of COUNT lines.

usage: make_corpus.py ru|uk TEXT_PATH SIZE_MB [WORDLIST_PATH COUNT]"""
import random
import sys

RU = """мама мыла раму кот сидел на окне и смотрел во двор где дети играли в мяч солнце светило ярко
летний день был тёплым и тихым ветер шелестел листьями старых берёз у реки стояла лодка рыбак
закинул удочку и ждал клёва вечером в доме зажгли свет бабушка пекла пироги с яблоками а дедушка
читал газету у печки за окном шёл снег зима пришла рано в этом году по дороге ехала телега
лошадь фыркала и мотала головой море шумело волны бились о камни чайки кричали над водой
корабль уходил за горизонт город просыпался медленно на улицах появлялись первые прохожие
трамвай звенел на повороте в булочной пахло свежим хлебом девочка несла букет полевых цветов
мальчик бежал за собакой учитель объяснял задачу ученики слушали внимательно весна принесла
надежду сердце билось быстрее любовь и дружба делают жизнь светлее""".split()

UK = """мама мила раму кіт сидів на вікні і дивився у двір де діти гралися в м'яча сонце світило
яскраво літній день був теплим і тихим вітер шелестів листям старих беріз біля річки стояв
човен рибалка закинув вудку і чекав увечері в хаті засвітили світло бабуся пекла пиріжки з
яблуками а дідусь читав газету біля печі за вікном ішов сніг зима прийшла рано цього року
дорогою їхав віз кінь пирхав і хитав головою море шуміло хвилі билися об каміння чайки
кричали над водою джміль гудів у квітах ґанок був чистий щука плавала у ставку дзвін лунав
здалеку сьогодні вранці місто прокидалося повільно на вулицях з'являлися перші перехожі
трамвай дзеленчав на повороті у пекарні пахло свіжим хлібом дівчинка несла букет польових
квітів хлопчик біг за собакою вчитель пояснював задачу учні слухали уважно весна принесла
надію серце билося швидше любов і дружба роблять життя світлішим""".split()


def main():
    lang, path, size_mb = sys.argv[1], sys.argv[2], float(sys.argv[3])
    words = RU if lang == "ru" else UK
    rng = random.Random(20261207)
    target = int(size_mb * 1024 * 1024)
    block = []
    for _ in range(4000):
        sentence = [rng.choice(words) for _ in range(rng.randint(4, 14))]
        sentence[0] = sentence[0].capitalize()
        text = " ".join(sentence)
        if rng.random() < 0.3:
            cut = text.rfind(" ", 0, len(text) // 2)
            if cut > 0:
                text = text[:cut] + "," + text[cut:]
        block.append(text + rng.choice([".", ".", ".", "!", "?", "…"]))
    paragraph = " ".join(block).replace("… ", "…\r\n")
    data = (paragraph + "\r\n").encode("cp1251")
    with open(path, "wb") as out:
        written = 0
        while written < target:
            out.write(data)
            written += len(data)
    if len(sys.argv) > 5:
        count = int(sys.argv[5])
        with open(sys.argv[4], "wb") as out:
            for i in range(count):
                word = rng.choice(words)
                if rng.random() < 0.3:
                    vowels = [j for j, c in enumerate(word) if c in "аеиіоуюяєїыэ"]
                    if vowels:
                        j = rng.choice(vowels) + 1
                        word = word[:j] + "*" + word[j:]
                out.write((word + "\n").encode("cp1251"))


if __name__ == "__main__":
    main()
